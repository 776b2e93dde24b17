// A minisign or signify public key, one format for both tools:
//
//   untrusted comment: minisign public key 1BBC2CB544A882A2
//   RWQbvCy1RKiComDHAmjVAkIOvEhQLsi8yIHWsnE0XFL2bwwQ+Pf7I+7h
//
// the base64 of "Ed", the key's 8-byte key number (its ID) and the 32-byte
// Ed25519 key; or that base64 line alone, as publishers post it on their
// pages (and `minisign -P` takes it). The comment is untrusted: never shown
// as the key's name.
//
// Beneath both tools' signatures: the check of an Ed25519 signature by the
// trusted key whose ID it names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signature/KeySignatureResult.h"

namespace sumbrook {

using KeyId = std::array<std::uint8_t, 8>;

struct Ed25519PublicKey {
    KeyId id{};
    std::array<std::uint8_t, 32> key{};
    std::string text;   // the base64 line
    std::string label;  // the user's, from the key store
};

struct Ed25519PublicKeyRead {
    bool ok = false;
    std::string error;
    Ed25519PublicKey key;
};

// The key of a key file's text (or of its base64 line alone); at most
// blank lines may follow it.
Ed25519PublicKeyRead ReadEd25519PublicKey(std::string_view text);

// The ID as minisign prints it: the 8 bytes as a little-endian number, in
// 16 upper-case hex digits.
std::string KeyIdText(const KeyId& id);
// The ID of such a text (16 hex digits, either case, blanks allowed); false
// for anything else.
bool ParseKeyIdText(std::string_view text, KeyId& id);

// `result` filled by the keys of `keys` whose ID is `id`: kGood when one
// verifies `signature` over `message`, kBad when none does (the first one
// tried named), kUnknownKey when none has the ID.
void CheckByKeyId(const KeyId& id, const std::uint8_t (&signature)[64], std::string_view message,
                  const std::vector<Ed25519PublicKey>& keys, KeySignatureResult& result);

// The longest message a signature over the whole unhashed message (signify;
// minisign's legacy "Ed" form) is checked over: Ed25519 takes it in one
// piece, in memory.
constexpr std::size_t kWholeMessageLimit = std::size_t{64} << 20;

// The message of such a signature, collected from pieces up to the limit.
class WholeMessage {
  public:
    void Update(const void* data, std::size_t size);
    bool TooBig() const { return tooBig_; }
    const std::string& Bytes() const { return bytes_; }

  private:
    std::string bytes_;
    bool tooBig_ = false;
};

}  // namespace sumbrook
