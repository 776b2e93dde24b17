// The user's own store of trusted keys, shared by the command line and the
// window: a folder holding one file per OpenPGP certificate, named by its
// primary fingerprint (40 hex digits and ".asc"), armoured, with the user's
// label in a "Label:" armour header; and one per minisign or signify key,
// named by its key ID as minisign prints it (16 hex digits and ".pub"), in
// the tools' own .pub form, the label in its comment line ("untrusted
// comment: Label: TEXT"; written here, so read back as the label). Files are written
// through the replacing writer, so a failed write leaves the store as it
// was. A damaged file is named and skipped; the other keys still count.
//
// The folder: $XDG_CONFIG_HOME/sumbrook/keys, else ~/.config/sumbrook/keys;
// on Windows %APPDATA%\Sumbrook\keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "signature/Certificate.h"
#include "signature/Ed25519PublicKey.h"

namespace sumbrook {

// The store's folder (UTF-8), or empty when neither variable is set.
std::string DefaultKeyStoreFolder();

struct KeyStoreRead {
    std::vector<CheckedCertificate> keys;       // each with its label
    std::vector<std::string> damaged;           // "FILE: why", one per skipped file
    std::vector<Ed25519PublicKey> ed25519Keys;  // minisign's and signify's, each with its label
};

// Every certificate of the store at `folder` (none when it does not exist).
KeyStoreRead ReadKeyStore(const std::string& folder, std::uint32_t now);

// Adds (or replaces) `certificate` with `label`, making the folder when
// needed; empty on success, else why not.
std::string AddToKeyStore(const std::string& folder, const CheckedCertificate& certificate,
                          const std::string& label);

// Adds a minisign or signify key with `label`, or gives an added one a new
// label; a different key with the same key ID is refused (the file is
// named by the ID). Empty on success, else why not.
std::string AddToKeyStore(const std::string& folder, const Ed25519PublicKey& key,
                          const std::string& label);

// Removes the certificate whose primary fingerprint is `fingerprint` (20
// bytes); empty on success, else why not (none such).
std::string RemoveFromKeyStore(const std::string& folder, const std::string& fingerprint);

// Removes the minisign or signify key whose key ID is `id`.
std::string RemoveFromKeyStore(const std::string& folder, const KeyId& id);

// The 20 bytes of a fingerprint typed as 40 hex digits, blanks allowed;
// empty for anything else (a key ID's 16 digits among them), with `error`
// set.
std::string ParseFingerprint(const std::string& text, std::string& error);

}  // namespace sumbrook
