// The verification window's check of one file ("is this the file they
// published?"), a view over OneFileController: a small window of its own
// with the file's name and size, the six digests in read-only boxes that
// wrap a long digest (each can be selected and copied), and a row more for
// each kind an expected digest needed; progress with the speed and Cancel,
// "Copy all" (the lines md5sum, sha1sum, sha256sum... print, in that
// order), and a box for the expected digest (filled from the clipboard when
// it holds one; a paste into it is trimmed and kept whole), whose verdict
// shows at once in large words and colour: "MATCH — SHA-256" in green,
// "CRC-32 MATCHES" in amber for a kind that detects damage only, or "NO
// MATCH" in red, with the algorithms compared. A detached signature beside
// the file (or the one named) is checked in the same read with the key
// store's keys, its result a line in words and colour, with Add key... for
// a key not added (the signature is then checked again). The digests are read on
// worker threads that only post; the window never waits for them: Cancel
// and closing ask, and the window goes once the end arrives. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook {

inline constexpr wchar_t kOneFileWindowClass[] = L"SumbrookVerifyFileWindow";

struct OneFileRequest {
    std::string path;  // UTF-8
    std::string expected;
    bool expectGiven = false;    // else the clipboard's digest, if it holds one
    std::string signature;       // the file's detached signature; "" the one beside it
    std::string report;          // where the report goes once the file is read; "" none
    bool closeWhenDone = false;  // close once the digests are read, telling nothing
    bool quitOnDestroy = false;  // the process's own window: WM_QUIT with the exit code
};

// Creates the window, shown with `show`, owned by `owner` (may be null),
// and starts the reading. Null when it cannot be created. The exit code
// (WM_VERIFIER_EXIT_CODE) is the controller's, of the expected digest in
// the box (none when the box is empty and nothing was given) and the
// signature; 2 when the report could not be written.
HWND CreateOneFileWindow(HINSTANCE instance, const OneFileRequest& request, HWND owner, int show);

// The keyboard navigation of a one-file window (Tab, Esc) for a message
// loop that serves it; false when `message` is not for one.
bool TranslateOneFileWindowMessage(MSG* message);

}  // namespace sumbrook
