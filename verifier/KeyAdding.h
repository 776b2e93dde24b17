// Adding a signer's key to the key store from the window: the key file
// read (on a worker), what the user is shown to compare with the
// publisher's own page before the key is trusted (each certificate's full
// fingerprint in groups of four and its user IDs; a minisign or signify
// key's base64 line and key ID), the label offered, and the adding itself
// with the label the user typed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "signature/Certificate.h"
#include "signature/Ed25519PublicKey.h"

namespace sumbrook {

struct KeyFileRead {
    std::vector<CheckedCertificate> keys;
    std::optional<Ed25519PublicKey> ed25519;  // a minisign or signify .pub instead of `keys`
    std::string error;  // why the file cannot be added: unreadable, no key, a key not usable
};

// The key file at `path`, OpenPGP certificates (each of which must be
// usable, as sumbrook-cli --add-key refuses a file with one that is not) or
// a minisign or signify public key.
KeyFileRead ReadKeyFileToAdd(const std::string& path);

// The question asked before the keys of `read` (of the file `path`) are
// added.
std::string KeyConfirmationText(const std::string& path, const KeyFileRead& read);

// The label offered for `key`: its first user ID's name (the part before
// " <mail>"), else the whole user ID; "" when it has none.
std::string SuggestedLabel(const CheckedCertificate& key);

// Adds each of `keys` to the store at `folder` with `label` (blanks around
// it dropped); "" when all were added, else why one was not.
std::string AddKeys(const std::string& folder, const std::vector<CheckedCertificate>& keys,
                    const std::string& label);
// The keys of `read`, of either kind, added so.
std::string AddKeys(const std::string& folder, const KeyFileRead& read, const std::string& label);

}  // namespace sumbrook
