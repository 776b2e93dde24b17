// The key store in the windows, on files gpg and minisign signed for the
// build: the window of one file with a good, a tampered and an unknown-key
// detached signature (the line, the exit code, the report), that key then
// added with a label typed; File > Keys... adding, listing and removing keys.
#include <windows.h>

#include <gtest/gtest.h>

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

// The signed files copied to a folder with a key store of its own.
class SignedFiles : public TempFolder {
  public:
    SignedFiles() { _wputenv_s(L"APPDATA", WideFromUtf8(MakeFolder("appdata")).c_str()); }
    std::string Copy(const std::string& name) {
        const std::string made = test::BuiltProgramPath(SUMBROOK_SIGNED_LISTS);
        test::WriteWholeFile(*this / name, test::ReadWholeFile(made + "\\" + name));
        return *this / name;
    }
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
        const char* keyFile;  // added with Add key..., the line then good; or none
        const char* reported;
    } cases[] = {
        {"image.bin", "image.bin.sig",
         "Signed by Publisher (Publisher <publisher@example.org>) \xC2\xB7 fingerprint ", 0,
         nullptr, "image.bin: Good signature by Publisher (Publisher <publisher@example.org>)"},
        {"tampered.bin", "tampered.bin.sig",
         "BAD signature: the file or its signature was changed after it was signed", 1, nullptr,
         "tampered.bin: BAD signature"},
        {"unknown.bin", "unknown.bin.asc", "Signed by a key you have not added: ", 2,
         "stranger.asc", "unknown.bin: Signature not verified: made by a key you have not added"},
        {"minisigned.bin", "minisigned.bin.minisig", "Signed by a key you have not added: key ID ",
         2, "minisign.pub", "minisigned.bin: Signed by a minisign key you have not given"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        OneFileRequest request;
        request.path = files.Copy(c.file);
        files.Copy(c.signature);
        request.expectGiven = true;
        request.report = files / (std::string(c.file) + ".report.txt");
        HWND window =
            CreateOneFileWindow(GetModuleHandleW(nullptr), request, nullptr, SW_SHOWNOACTIVATE);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(Ended(window));
        const HWND line = GetDlgItem(window, ID_FILE_SIGNATURE);
        EXPECT_TRUE(IsWindowVisible(line));
        EXPECT_EQ(TextOf(line).rfind(c.shownFirst, 0), 0U) << TextOf(line);
        EXPECT_EQ(IsWindowVisible(GetDlgItem(window, ID_FILE_ADD_KEY)) != FALSE,
                  c.keyFile != nullptr);
        EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), c.exitCode);
        const std::string report = test::ReadWholeFile(request.report);
        EXPECT_NE(report.find(c.reported), std::string::npos) << report;
        if (c.keyFile != nullptr) {
            // The signature read again: good by the label typed.
            test::OpenFileDialogDriver chooser(files.Copy(c.keyFile), window);
            std::string shown;
            const DialogStepper answer = AddKeyAnswer("Their key", shown);
            SendMessageW(GetDlgItem(window, ID_FILE_ADD_KEY), BM_CLICK, 0, 0);
            EXPECT_FALSE(answer.TimedOut());
            EXPECT_NE(shown.find(c.file[0] == 'u' ? "Stranger <stranger@example.org>" : "Key ID "),
                      std::string::npos)
                << shown;
            ASSERT_TRUE(Ended(window));
            EXPECT_EQ(TextOf(line).rfind("Signed by Their key", 0), 0U) << TextOf(line);
            EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitOk);
        }
        DestroyWindow(window);
    }
}

TEST(VerifyWindowKeyStoreTest, KeysDialogListsAddsAndRemoves) {
    SignedFiles files;
    ASSERT_EQ(
        AddKeys(DefaultKeyStoreFolder(), ReadKeyFileToAdd(files.Copy("minisign.pub")), "Mini"), "");
    VerifierRequest nothing;
    test::OpenWindow window(nothing);
    test::MessageBoxCatcher catcher;  // Remove's question, answered OK
    test::OpenFileDialogDriver chooser(files.Copy("publisher.asc"), window.Get());
    std::string shown;
    const DialogStepper answer = AddKeyAnswer("Publisher's key", shown);
    // Add key... beside the minisign key, then Remove on the minisign key
    // (listed after the OpenPGP one), then Close.
    int stage = 0;
    std::string before;
    std::string listed;
    std::string listedMinisign;
    std::string details;
    const DialogStepper keys(kKeysTitle, [&](HWND dialog) {
        const std::string prompt = TextOf(GetDlgItem(dialog, ID_KEY_PROMPT));
        const LRESULT count = SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_GETCOUNT, 0, 0);
        if (prompt.rfind("Reading", 0) == 0 || count != (stage == 1 ? 2 : 1)) return false;
        if (stage == 0) before = prompt;
        if (stage == 1) {
            wchar_t text[256] = {};
            SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_GETTEXT, 0,
                                reinterpret_cast<LPARAM>(text));
            listed = Utf8FromWide(text);
            details = TextOf(GetDlgItem(dialog, ID_KEY_DETAILS));
            SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_GETTEXT, 1,
                                reinterpret_cast<LPARAM>(text));
            listedMinisign = Utf8FromWide(text);
            SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_SETCURSEL, 1, 0);
        }
        const int buttons[] = {ID_KEYS_ADD, ID_KEYS_REMOVE, IDCANCEL};
        SendMessageW(GetDlgItem(dialog, buttons[stage++]), BM_CLICK, 0, 0);
        return stage == 3;
    });
    SendMessageW(window.Get(), WM_COMMAND, MAKEWPARAM(ID_KEYS, 0), 0);
    EXPECT_FALSE(keys.TimedOut());
    EXPECT_FALSE(answer.TimedOut());
    EXPECT_EQ(stage, 3);
    EXPECT_EQ(before.rfind("1 key in ", 0), 0U) << before;
    EXPECT_EQ(listedMinisign.rfind("Mini \xC2\xB7 key ID ", 0), 0U) << listedMinisign;
    EXPECT_NE(shown.find("Publisher <publisher@example.org>"), std::string::npos) << shown;
    EXPECT_EQ(listed.rfind("Publisher's key \xC2\xB7 ", 0), 0U) << listed;
    for (const char* part : {"Label: Publisher's key", "Algorithm: Ed25519", "Expires: never",
                             "User IDs:\r\n    Publisher <publisher@example.org>"}) {
        EXPECT_NE(details.find(part), std::string::npos) << details;
    }
    ASSERT_EQ(catcher.Caught().size(), 1U);
    EXPECT_NE(catcher.Caught()[0].text.find("Remove Mini"), std::string::npos);
    EXPECT_TRUE(ReadKeyStore(DefaultKeyStoreFolder(), SecondsNow()).ed25519Keys.empty());
}

}  // namespace
}  // namespace sumbrook
