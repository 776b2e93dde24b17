// The key store as the window's Keys dialog shows it: one line per key in
// its list (the label and the fingerprint; a minisign or signify key's key
// ID), and the whole of the key chosen (label, fingerprint in groups of
// four, algorithm, expiry, user IDs; a minisign or signify key's base64
// line, key ID and algorithm), in the words of sumbrook-cli --keys.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "signature/Certificate.h"
#include "signature/Ed25519PublicKey.h"
#include "signature/KeyStore.h"

namespace sumbrook {

// "LABEL · 0102 0304 ... 1314"; "(no label)" for none.
std::string KeyListLine(const CheckedCertificate& key);

// The lines about `key`, LF between them.
std::string KeyDetailsText(const CheckedCertificate& key);

// "LABEL · key ID 1BBC2CB544A882A2 (minisign or signify)".
std::string KeyListLine(const Ed25519PublicKey& key);
std::string KeyDetailsText(const Ed25519PublicKey& key);

// The lines of the store's list: its OpenPGP certificates, then its
// minisign and signify keys.
std::vector<std::string> KeyListLines(const KeyStoreRead& store);

// The details of the key at `index` of that list; "" past its end.
std::string KeyDetailsTextAt(const KeyStoreRead& store, std::size_t index);

// Removes the key at `index` of that list from the store at `folder`;
// empty on success, else why not.
std::string RemoveListedKey(const std::string& folder, const KeyStoreRead& store,
                            std::size_t index);

}  // namespace sumbrook
