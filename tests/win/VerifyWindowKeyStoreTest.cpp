// The key store in the windows, on files gpg signed for the build
// (make-signed-lists.sh), in a key store of the test's own: the window of
// one file with a good, a tampered and an unknown-key detached signature
// beside the file (the line, its colour, the exit code and the report), the
// unknown key then added through Add key... with a label typed; and File >
// Keys..., which lists a key added there and removes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DialogStepper.h"
#include "MessageBoxCatcher.h"
#include "OpenFileDialogDriver.h"
#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "platform/WideText.h"
#include "signature/KeyStore.h"
#include "verifier/KeyAdding.h"
#include "verifier/win/KeyDialogs.h"
#include "verifier/win/OneFileWindow.h"
#include "verifier/win/VerifierControlIds.h"
#include "verify/RunExitCode.h"
#include "verify/SignedFile.h"

namespace sumbrook {
namespace {

using test::DialogStepper;
using test::PumpUntil;
using test::TempFolder;
using test::TextOf;

// A folder of the signed files and a key store of its own (APPDATA).
class SignedFiles {
  public:
    SignedFiles() {
        appData_ = scratch_.MakeFolder("appdata");
        _wputenv_s(L"APPDATA", WideFromUtf8(appData_).c_str());
    }
    std::string Copy(const std::string& name) {
        const std::string made = test::BuiltProgramPath(SUMBROOK_SIGNED_LISTS);
        test::WriteWholeFile(scratch_ / name, test::ReadWholeFile(made + "\\" + name));
        return scratch_ / name;
    }
    std::string operator/(const std::string& name) const { return scratch_ / name; }

  private:
    TempFolder scratch_;
    std::string appData_;
};

// Answers Add key's dialog once the key file is read: the fingerprints and
// user IDs shown are kept, `label` typed, Add clicked.
DialogStepper AddKeyAnswer(const std::string& label, std::string& shown) {
    return DialogStepper(kAddKeyTitle, [label, &shown](HWND dialog) {
        if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return false;
        shown = TextOf(GetDlgItem(dialog, ID_KEY_DETAILS));
        SetDlgItemTextW(dialog, ID_KEY_LABEL, WideFromUtf8(label).c_str());
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return true;
    });
}

HWND OpenOneFile(const OneFileRequest& request) {
    return CreateOneFileWindow(GetModuleHandleW(nullptr), request, nullptr, SW_SHOWNOACTIVATE);
}

bool Ended(HWND window) {
    return PumpUntil([window] { return SendMessageW(window, WM_VERIFIER_RUNNING, 0, 0) == 0; },
                     test::kRunLimitMs, window);
}

TEST(VerifyWindowKeyStoreTest, OneFileWithGoodTamperedAndUnknownKeySignatures) {
    SignedFiles files;
    std::string error;
    ASSERT_EQ(AddKeys(DefaultKeyStoreFolder(),
                      ReadKeyFile(files.Copy("publisher.asc"), SecondsNow(), error), "Publisher"),
              "");
    const struct {
        const char* file;
        const char* signature;
        const char* shownFirst;
        int exitCode;
        bool addKey;
        const char* reported;
    } cases[] = {
        {"image.bin", "image.bin.sig",
         "Signed by Publisher (Publisher <publisher@example.org>) \xC2\xB7 fingerprint ", 0, false,
         "image.bin: Good signature by Publisher (Publisher <publisher@example.org>)"},
        {"tampered.bin", "tampered.bin.sig",
         "BAD signature: the file or its signature was changed after it was signed", 1, false,
         "tampered.bin: BAD signature"},
        {"unknown.bin", "unknown.bin.asc", "Signed by a key you have not added: ", 2, true,
         "unknown.bin: Signature not verified: made by a key you have not added"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        OneFileRequest request;
        request.path = files.Copy(c.file);
        files.Copy(c.signature);
        request.expectGiven = true;
        request.report = files / (std::string(c.file) + ".report.txt");
        HWND window = OpenOneFile(request);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(Ended(window));
        const HWND line = GetDlgItem(window, ID_FILE_SIGNATURE);
        EXPECT_TRUE(IsWindowVisible(line));
        EXPECT_EQ(TextOf(line).rfind(c.shownFirst, 0), 0U) << TextOf(line);
        EXPECT_EQ(IsWindowVisible(GetDlgItem(window, ID_FILE_ADD_KEY)) != FALSE, c.addKey);
        EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), c.exitCode);
        const std::string report = test::ReadWholeFile(request.report);
        EXPECT_NE(report.find(c.reported), std::string::npos) << report;
        EXPECT_NE(report.find("  " + std::string(c.file) + "\r\n"), std::string::npos) << report;
        if (c.addKey) {
            // The stranger's key added with a label of the user's: the
            // signature is read again and is good by that label.
            test::OpenFileDialogDriver chooser(files.Copy("stranger.asc"), window);
            std::string shown;
            const DialogStepper answer = AddKeyAnswer("Their key", shown);
            SendMessageW(GetDlgItem(window, ID_FILE_ADD_KEY), BM_CLICK, 0, 0);
            EXPECT_FALSE(answer.TimedOut());
            EXPECT_NE(shown.find("Stranger <stranger@example.org>"), std::string::npos) << shown;
            ASSERT_TRUE(Ended(window));
            EXPECT_EQ(
                TextOf(line).rfind("Signed by Their key (Stranger <stranger@example.org>)", 0), 0U)
                << TextOf(line);
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, ID_FILE_ADD_KEY)));
            EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitOk);
        }
        DestroyWindow(window);
    }
}

TEST(VerifyWindowKeyStoreTest, KeysDialogListsAddsAndRemoves) {
    SignedFiles files;
    VerifierRequest nothing;
    test::OpenWindow window(nothing);
    test::MessageBoxCatcher catcher;  // Remove's question, answered OK
    test::OpenFileDialogDriver chooser(files.Copy("publisher.asc"), window.Get());
    std::string shown;
    const DialogStepper answer = AddKeyAnswer("Publisher's key", shown);
    int stage = 0;
    std::string empty;
    std::string listed;
    std::string details;
    const auto list = [](HWND dialog) { return GetDlgItem(dialog, ID_KEYS_LIST); };
    const auto count = [&](HWND dialog) {
        return static_cast<int>(SendMessageW(list(dialog), LB_GETCOUNT, 0, 0));
    };
    const auto reading = [](HWND dialog) {
        return TextOf(GetDlgItem(dialog, ID_KEY_PROMPT)).rfind("Reading", 0) == 0;
    };
    const DialogStepper keys(kKeysTitle, [&](HWND dialog) {
        if (reading(dialog)) return false;
        if (stage == 0) {
            empty = TextOf(GetDlgItem(dialog, ID_KEY_PROMPT));
            stage = 1;
            SendMessageW(GetDlgItem(dialog, ID_KEYS_ADD), BM_CLICK, 0, 0);
        } else if (stage == 1 && count(dialog) == 1) {
            std::wstring text(256, L'\0');
            text.resize(static_cast<std::size_t>(
                SendMessageW(list(dialog), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text.data()))));
            listed = Utf8FromWide(text);
            details = TextOf(GetDlgItem(dialog, ID_KEY_DETAILS));
            stage = 2;
            SendMessageW(GetDlgItem(dialog, ID_KEYS_REMOVE), BM_CLICK, 0, 0);
        } else if (stage == 2 && count(dialog) == 0) {
            stage = 3;
            PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            return true;
        }
        return false;
    });
    SendMessageW(window.Get(), WM_COMMAND, MAKEWPARAM(ID_KEYS, 0), 0);
    EXPECT_FALSE(keys.TimedOut());
    EXPECT_FALSE(answer.TimedOut());
    EXPECT_EQ(stage, 3);
    EXPECT_EQ(empty.rfind("No keys in ", 0), 0U) << empty;
    EXPECT_NE(shown.find("Publisher <publisher@example.org>"), std::string::npos) << shown;
    EXPECT_EQ(listed.rfind("Publisher's key \xC2\xB7 ", 0), 0U) << listed;
    for (const char* part : {"Label: Publisher's key", "Algorithm: Ed25519", "Expires: never",
                             "User IDs:\r\n    Publisher <publisher@example.org>"}) {
        EXPECT_NE(details.find(part), std::string::npos) << details;
    }
    ASSERT_EQ(catcher.Caught().size(), 1U);
    EXPECT_NE(catcher.Caught()[0].text.find("Remove Publisher's key"), std::string::npos);
    // The store the command line reads: empty again.
    EXPECT_TRUE(ReadKeyStore(DefaultKeyStoreFolder(), SecondsNow()).keys.empty());
}

}  // namespace
}  // namespace sumbrook
