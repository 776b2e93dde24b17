// The window of one file built in this process and driven with messages:
// its six digests against sumbrook-cli.exe -a ALGO of the same file, Copy
// all as the sum lines, and the verdict of a pasted digest that matches,
// one that does not, and a line that names another file; the file dropped
// on the window of lists or chosen after its keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "OpenFileDialogDriver.h"
#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "crc/Crc32.h"
#include "platform/WideText.h"
#include "verifier/win/Clipboard.h"
#include "verifier/win/OneFileWindow.h"
#include "verifier/win/VerifierControlIds.h"
#include "verify/RunExitCode.h"

namespace sumbrook {
namespace {

using test::PumpUntil;
using test::TempFolder;
using test::TextOf;

constexpr char kMatch[] = "MATCH \xE2\x80\x94 SHA-256";

TEST(OneFileWindowTest, DigestsAsTheCommandLineAndPastedVerdicts) {
    TempFolder scratch;
    std::string content;
    for (int i = 0; i < 100000; ++i) content += static_cast<char>(i * 7 + i / 256);
    const std::string path = scratch.Write("setup.exe", content);
    OneFileRequest request;
    request.path = path;
    request.expectGiven = true;  // the box starts empty, whatever the clipboard holds
    HWND window =
        CreateOneFileWindow(GetModuleHandleW(nullptr), request, nullptr, SW_SHOWNOACTIVATE);
    ASSERT_NE(window, nullptr);
    const auto running = [window] { return SendMessageW(window, WM_VERIFIER_RUNNING, 0, 0) != 0; };
    ASSERT_TRUE(PumpUntil([&] { return !running(); }, test::kRunLimitMs, window));
    const auto box = [window](int id) { return TextOf(GetDlgItem(window, id)); };
    EXPECT_EQ(box(ID_FILE_NAME), "setup.exe");
    EXPECT_EQ(box(ID_FILE_SIZE), "100,000 bytes");

    // CRC-32 as crc/ computes it; the others as sumbrook-cli -a prints them.
    std::vector<std::string> digests = {Crc32Text(Crc32Update(0, content.data(), content.size()))};
    for (const char* algorithm : {"md5", "sha1", "sha256", "sha512", "blake3"}) {
        const test::CliRun cli = test::RunCli(scratch, {"-a", algorithm, path});
        ASSERT_EQ(cli.exitCode, 0u) << algorithm << cli.err;
        digests.push_back(cli.out.substr(0, cli.out.find(' ')));
    }
    std::wstring lines;
    for (std::size_t i = 0; i < digests.size(); ++i) {
        EXPECT_EQ(box(ID_FILE_DIGEST_FIRST + static_cast<int>(i)), digests[i]) << i;
        lines += WideFromUtf8(digests[i] + "  setup.exe\r\n");
    }
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_COPY_ALL, BN_CLICKED), 0);
    EXPECT_EQ(Utf8FromWide(TextOnClipboard()), Utf8FromWide(lines));

    HWND expected = GetDlgItem(window, ID_EXPECTED);
    const auto paste = [&](const std::string& text) {
        SetWindowTextW(expected, WideFromUtf8(text).c_str());
        PumpUntil([] { return true; }, 0);
    };
    paste("  0x" + digests[3] + "\r\n");
    EXPECT_EQ(box(ID_VERDICT), kMatch);
    EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitOk);
    std::string other = digests[3];
    other[10] = other[10] == 'a' ? 'b' : 'a';
    paste(other);
    EXPECT_EQ(box(ID_VERDICT), "NO MATCH");
    EXPECT_EQ(box(ID_VERDICT_DETAIL), "compared with SHA-256, BLAKE3, SHA3-256 and BLAKE2b-256");
    EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitDifferences);
    paste("SHA256 (setup-1.2.exe) = " + digests[3]);
    EXPECT_EQ(box(ID_VERDICT), kMatch);
    EXPECT_NE(box(ID_VERDICT_DETAIL).find("setup-1.2.exe"), std::string::npos);
    paste(digests[3].substr(2));
    EXPECT_EQ(box(ID_VERDICT_DETAIL), "no algorithm has a digest of 62 hex digits");
    EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitError);
    DestroyWindow(window);
    PumpUntil([] { return true; }, 0);
}

// Digests of kinds the first read did not compute: an XXH128 pasted with
// Ctrl+V (a line break before it), then a SHA-384 typed in, each read then
// and shown in a row of its own; an XXH128 on the clipboard at the start is
// read with the others.
TEST(OneFileWindowTest, PastedXxh128AndSha384AreReadThenAndMatch) {
    TempFolder scratch;
    const std::string path = scratch.Write("abc.txt", "abc");
    const std::string xxh128 = "06b05ab6733a618578af5f94892f3950";
    const std::string sha384 =
        "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca1"
        "34c825a7";
    for (const bool fromClipboard : {false, true}) {
        ASSERT_TRUE(PutTextOnClipboard(WideFromUtf8("\r\n " + xxh128 + "\r\n")));
        OneFileRequest request;
        request.path = path;
        request.expectGiven = !fromClipboard;
        HWND window =
            CreateOneFileWindow(GetModuleHandleW(nullptr), request, nullptr, SW_SHOWNOACTIVATE);
        ASSERT_NE(window, nullptr);
        const auto ended = [window] {
            return PumpUntil([&] { return SendMessageW(window, WM_VERIFIER_RUNNING, 0, 0) == 0; },
                             test::kRunLimitMs, window);
        };
        const auto box = [window](int id) { return TextOf(GetDlgItem(window, id)); };
        ASSERT_TRUE(ended());
        HWND expected = GetDlgItem(window, ID_EXPECTED);
        if (!fromClipboard) {
            SendMessageW(expected, WM_PASTE, 0, 0);
            EXPECT_EQ(TextOf(expected), xxh128);
            ASSERT_TRUE(ended());
        }
        EXPECT_EQ(box(ID_VERDICT), "XXH128 MATCHES") << fromClipboard;
        EXPECT_EQ(box(ID_FILE_DIGEST_FIRST + 6), xxh128);
        EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitOk);
        SetWindowTextW(expected, WideFromUtf8(sha384).c_str());
        ASSERT_TRUE(ended());
        EXPECT_EQ(box(ID_VERDICT), "MATCH \xE2\x80\x94 SHA-384");
        EXPECT_EQ(box(ID_FILE_DIGEST_FIRST + 7), sha384);
        EXPECT_EQ(SendMessageW(window, WM_VERIFIER_EXIT_CODE, 0, 0), kExitOk);
        DestroyWindow(window);
        PumpUntil([] { return true; }, 0);
    }
}

// One file that is no list, dropped on the window of lists or chosen after
// Ctrl+Shift+O there, opens a window of its own for it, owned by that window.
TEST(OneFileWindowTest, FileDroppedOrChosenWithItsKeysIsCheckedAlone) {
    TempFolder scratch;
    const std::string path = scratch.Write("image.iso", "abc");
    for (const bool keys : {false, true}) {
        test::OpenWindow lists{VerifierRequest{}};
        test::OpenFileDialogDriver driver(keys ? std::optional<std::string>(path) : std::nullopt);
        if (keys) {
            BYTE state[256] = {};
            GetKeyboardState(state);
            state[VK_CONTROL] = state[VK_SHIFT] = 0x80;
            SetKeyboardState(state);
            PostMessageW(lists.Get(), WM_KEYDOWN, 'O', 1);
        } else {
            SendMessageW(lists.Get(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(path)),
                         0);
        }
        HWND window = nullptr;
        const bool ended = PumpUntil(
            [&] {
                window = FindWindowW(kOneFileWindowClass, nullptr);
                return window != nullptr && SendMessageW(window, WM_VERIFIER_RUNNING, 0, 0) == 0;
            },
            test::kRunLimitMs, lists.Get());
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_SHIFT] = 0;
        SetKeyboardState(state);
        ASSERT_TRUE(ended) << keys;
        EXPECT_EQ(driver.Seen().timesShown, keys ? 1 : 0);
        EXPECT_EQ(GetWindow(window, GW_OWNER), lists.Get());
        EXPECT_EQ(TextOf(GetDlgItem(window, ID_FILE_DIGEST_FIRST + 3)),
                  "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        EXPECT_TRUE(lists.Rows().empty());
        DestroyWindow(window);
        PumpUntil([] { return true; }, 0);
    }
}

// Files dropped together are judged by what they hold, not by SUMS or
// CHECKSUM in a name: the list among them (named as no list is) is opened,
// and each other file gets a window of its own.
TEST(OneFileWindowTest, DroppedFilesAreJudgedByWhatTheyHold) {
    TempFolder scratch;
    const std::string binary("MZ\x90\0\x03\0\0\0", 8);
    const std::vector<std::string> dropped = {
        scratch.Write("possums.iso", binary),
        scratch.Write("my checksum tool setup.exe", binary),
        scratch.Write("hashes.dat",
                      "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
                      "  abc.txt\n"),
    };
    scratch.Write("abc.txt", "abc");
    test::OpenWindow lists{VerifierRequest{}};
    SendMessageW(lists.Get(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(dropped)), 0);
    std::vector<HWND> windows;
    const bool ended = PumpUntil(
        [&] {
            windows.clear();
            for (HWND w = FindWindowExW(nullptr, nullptr, kOneFileWindowClass, nullptr);
                 w != nullptr; w = FindWindowExW(nullptr, w, kOneFileWindowClass, nullptr)) {
                windows.push_back(w);
            }
            return windows.size() == 2 && !lists.Running() && !lists.Rows().empty();
        },
        test::kRunLimitMs, lists.Get());
    EXPECT_TRUE(ended) << windows.size();
    const std::vector<std::vector<std::string>> rows = lists.Rows();
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [](const auto& row) { return row[0] == "OK" && row[1] == "abc.txt"; }));
    for (HWND window : windows) {
        EXPECT_EQ(GetWindow(window, GW_OWNER), lists.Get());
        DestroyWindow(window);
    }
    PumpUntil([] { return true; }, 0);
}

}  // namespace
}  // namespace sumbrook
