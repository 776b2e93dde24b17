// OpenPGP's ASCII armour (RFC 9580 6): blocks of
//
//   -----BEGIN PGP <LABEL>-----
//   Name: value                   (armour headers, never signed)
//                                 (a blank line)
//   <base64 lines>
//   =XXXX                         (optional: the CRC-24 of the bytes)
//   -----END PGP <LABEL>-----
//
// read out of a text that may hold other lines between and around them (a
// publisher's page pasted into a file). Several blocks may follow one
// another (Bitcoin Core's SHA256SUMS.asc). A checksum that does not match,
// a character that is no base64, an end line of another label and a block
// that never ends refuse the whole text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sumbrook {

struct ArmourBlock {
    std::string label;  // "PGP SIGNATURE", "PGP PUBLIC KEY BLOCK", ...
    std::vector<std::pair<std::string, std::string>> headers;
    std::string bytes;  // decoded
};

struct ArmourRead {
    bool ok = false;
    std::string error;  // "line N: ..."
    std::vector<ArmourBlock> blocks;
};

// Whether `bytes` hold an armour's begin line at the start of a line.
bool HasArmour(std::string_view bytes);

// Every armoured block of `text`.
ArmourRead ReadArmour(std::string_view text);

// The CRC-24 of RFC 9580 6.1, over bytes handed in pieces.
std::uint32_t Crc24(std::string_view bytes, std::uint32_t crc = 0xB704CEU);

// `bytes` armoured as `label` ("PGP PUBLIC KEY BLOCK"), with `headers`,
// in lines of 64 characters and its CRC-24, each line ending in LF.
std::string WriteArmour(std::string_view label,
                        const std::vector<std::pair<std::string, std::string>>& headers,
                        std::string_view bytes);

// Base64 of one line (no blanks), appended to `out`; false for any other
// character or a length that does not fit.
bool DecodeBase64(std::string_view text, std::string& out);

}  // namespace sumbrook
