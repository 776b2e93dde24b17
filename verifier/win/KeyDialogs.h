// The key store's dialogs, shared by the window of a list and the window of
// one file: Add key (a key file chosen, read on a worker, its fingerprints
// and user IDs shown to compare with the publisher's own page, and a label
// typed before it is added) and File > Keys... (the store's keys listed
// with label, fingerprint, algorithm, expiry and user IDs, minisign and
// signify keys with their key IDs; added, removed).
// The store is sumbrook-cli's (DefaultKeyStoreFolder). Modal; the files are
// read on workers that post, the dialog never waits for them. Windows only.
#pragma once

#include <windows.h>

namespace sumbrook {

inline constexpr wchar_t kAddKeyTitle[] = L"Add a key";
inline constexpr wchar_t kKeysTitle[] = L"Keys";

// Asks for a key file and adds it as the user says; true when it was added.
bool AddKeyFromFile(HWND owner);

// The Keys dialog.
void ShowKeysDialog(HWND owner);

}  // namespace sumbrook
