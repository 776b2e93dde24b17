// The verification window on signed lists that gpg made for the build
// (make-signed-lists.sh): with the publisher's key in a key store of the
// test's own, a good clear-signed list, the same list changed after it was
// signed and lists signed by keys never added (OpenPGP, minisign) each show
// their result above the rows, with the command line's exit code and report.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "MessageBoxCatcher.h"
#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "platform/WideText.h"
#include "signature/KeyStore.h"
#include "verifier/KeyAdding.h"
#include "verifier/win/VerifierControlIds.h"
#include "verify/SignedFile.h"

namespace sumbrook {
namespace {

using test::OpenWindow;
using test::TempFolder;

struct SignedListCase {
    const char* list;
    const char* shownFirst;  // the line above the rows begins so
    int exitCode;
    bool addKey;  // Add key... is offered
    std::size_t rows;
    const char* reported;  // the saved report says
};

const SignedListCase kSignedLists[] = {
    {"good.sha256", "Signed by Publisher (Publisher <publisher@example.org>) \xC2\xB7 fingerprint ",
     0, false, 1, "signature good, by Publisher (Publisher <publisher@example.org>)"},
    {"changed.sha256",
     "BAD signature: the list was changed after it was signed; nothing was checked", 1, false, 0,
     "BAD signature"},
    // The signature beside the list is no NEW row.
    {"stranger.sha256", "Signed by a key you have not added: ", 2, true, 1,
     "the list's signature was NOT verified: made by a key you have not added"},
    {"minisigned.sha256", "Signed by a key you have not added: key ID ", 2, true, 1,
     "the list's signature was NOT verified: "},
};

TEST(VerifyWindowSignatureTest, SignedTamperedAndUnknownKeyListsShowTheirResults) {
    TempFolder scratch;
    const std::string made = test::BuiltProgramPath(SUMBROOK_SIGNED_LISTS);
    const auto copy = [&](const std::string& name, const std::string& folder) {
        test::WriteWholeFile(folder + "\\" + name, test::ReadWholeFile(made + "\\" + name));
    };
    copy("publisher.asc", scratch.Path());
    // The key store of this test alone, holding the publisher's key.
    const std::string appData = scratch.MakeFolder("appdata");
    ASSERT_EQ(_wputenv_s(L"APPDATA", WideFromUtf8(appData).c_str()), 0);
    std::string error;
    const auto keys = ReadKeyFile(scratch / "publisher.asc", SecondsNow(), error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(AddKeys(DefaultKeyStoreFolder(), keys, "Publisher"), "");

    for (const SignedListCase& c : kSignedLists) {
        SCOPED_TRACE(c.list);
        // Each list alone with its file, so that no other file is NEW.
        const std::string folder = scratch.MakeFolder(c.list + std::string(".d"));
        copy("a.txt", folder);
        copy(c.list, folder);
        const std::string signature =
            c.list + std::string(std::string(c.list).rfind("mini", 0) == 0 ? ".minisig" : ".asc");
        if (c.addKey) copy(signature, folder);
        VerifierRequest request;
        request.start = VerifierRequest::Start::kCheck;
        request.list = folder + "\\" + c.list;
        request.report = scratch / (std::string(c.list) + ".report.txt");
        test::MessageBoxCatcher catcher;
        OpenWindow window(request);
        ASSERT_TRUE(window.WaitForEnd());
        const HWND line = window.Control(ID_SIGNATURE);
        EXPECT_TRUE(IsWindowVisible(line));
        const std::string shown = test::TextOf(line);
        EXPECT_EQ(shown.rfind(c.shownFirst, 0), 0U) << shown;
        EXPECT_EQ(IsWindowVisible(window.Control(ID_ADD_KEY)) != FALSE, c.addKey);
        EXPECT_EQ(window.ExitCode(), c.exitCode);
        EXPECT_EQ(window.Rows().size(), c.rows);
        const std::string report = test::ReadWholeFile(request.report);
        EXPECT_NE(report.find(c.reported), std::string::npos) << report;
    }
}

}  // namespace
}  // namespace sumbrook
