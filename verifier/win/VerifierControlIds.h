// The identifiers of the verification window's controls and menu commands,
// and the window's private messages. Windows only.
#pragma once

#include <windows.h>

namespace sumbrook {

// Enter and Esc arrive as IDOK and IDCANCEL.
inline constexpr int ID_CHECK_AGAIN = IDOK;
inline constexpr int ID_CANCEL_RUN = IDCANCEL;
inline constexpr int ID_LIST_PATH = 100;
inline constexpr int ID_OPEN_LIST = 101;
inline constexpr int ID_FOLDER_PATH = 102;
inline constexpr int ID_CHOOSE_FOLDER = 103;
inline constexpr int ID_SUBFOLDERS = 104;
inline constexpr int ID_UNCACHED = 105;
inline constexpr int ID_CHECK_FAILED_AGAIN = 106;
inline constexpr int ID_COPY = 107;
inline constexpr int ID_SAVE_REPORT = 108;
inline constexpr int ID_NEW_LIST = 109;
inline constexpr int ID_PROBLEMS_FIRST = 110;
inline constexpr int ID_PROBLEMS_ONLY = 111;
inline constexpr int ID_ROWS = 112;
inline constexpr int ID_PROGRESS = 113;
inline constexpr int ID_STATUS_LINE = 114;
inline constexpr int ID_NOTICES = 115;
inline constexpr int ID_SKIP_MISSING = 116;
inline constexpr int ID_SIGNATURE = 117;
inline constexpr int ID_ADD_KEY = 118;
inline constexpr int ID_SELECT_ALL = 120;
inline constexpr int ID_EXIT = 121;
inline constexpr int ID_ADD_EXPLORER_VERBS = 122;
inline constexpr int ID_REMOVE_EXPLORER_VERBS = 123;
inline constexpr int ID_CHECK_FILE = 124;
inline constexpr int ID_KEYS = 125;

// The window of one file (OneFileWindow.h); Esc and its Cancel are IDCANCEL.
inline constexpr int ID_FILE_NAME = 130;
inline constexpr int ID_FILE_SIZE = 131;
inline constexpr int ID_FILE_PROGRESS = 132;
inline constexpr int ID_FILE_STATUS = 133;
inline constexpr int ID_EXPECTED = 134;
inline constexpr int ID_VERDICT = 135;
inline constexpr int ID_VERDICT_DETAIL = 136;
inline constexpr int ID_COPY_ALL = 137;
inline constexpr int ID_CLOSE_FILE = 138;
inline constexpr int ID_FILE_SIGNATURE = 139;
inline constexpr int ID_FILE_ADD_KEY = 160;
// The box of the i-th digest (OneFileDigestKinds order, then any kind the
// expected digest needs) is ID_FILE_DIGEST_FIRST + i.
inline constexpr int ID_FILE_DIGEST_FIRST = 140;

// The dialogs of the key store (KeyDialogs.h): Add key's prompt, the key
// file's fingerprints and user IDs, the label typed (its Add is IDOK);
// Keys's list, the chosen key's details, Add key... and Remove.
inline constexpr int ID_KEY_PROMPT = 170;
inline constexpr int ID_KEY_DETAILS = 171;
inline constexpr int ID_KEY_LABEL = 172;
inline constexpr int ID_KEYS_LIST = 173;
inline constexpr int ID_KEYS_ADD = 174;
inline constexpr int ID_KEYS_REMOVE = 175;

// Posted by a run's worker: something waits to be taken.
inline constexpr UINT WM_VERIFIER_RUN_ARRIVED = WM_APP + 1;
// Sent by tests and by the program's main: the exit code of the last run
// (0 when none ended yet), and whether a run is going on (1) or not (0); a
// run goes on until the report its command line asked for is saved.
inline constexpr UINT WM_VERIFIER_EXIT_CODE = WM_APP + 2;
inline constexpr UINT WM_VERIFIER_RUNNING = WM_APP + 3;
// Posted to itself once created: starts what the command line asks for.
inline constexpr UINT WM_VERIFIER_START = WM_APP + 4;
// The window's keyboard accelerators, for the message loop.
inline constexpr UINT WM_VERIFIER_ACCELERATORS = WM_APP + 5;
// Posted to itself: a long piece of work on this thread (a sort, the text
// of Copy or Save report) goes on with its next slice.
inline constexpr UINT WM_VERIFIER_CONTINUE = WM_APP + 6;
// Posted by a key dialog's worker: the key file or the store was read.
inline constexpr UINT WM_VERIFIER_KEYS_ARRIVED = WM_APP + 7;

}  // namespace sumbrook
