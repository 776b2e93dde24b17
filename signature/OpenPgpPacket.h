// The packets of an OpenPGP message or key file (RFC 9580 4.2), read one at
// a time from bytes in memory: both header formats, the old one's length
// types 0-2 (and 3, "to the end", for data packets only), the new one's
// one-, two- and five-byte lengths and, for the packets that may carry them
// (literal, compressed and encrypted data), partial body lengths. Every
// length is checked against the bytes left before it is used; nothing
// recurses on the input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sumbrook {

// The packet tags read here by name.
enum class PacketTag : int {
    kSignature = 2,
    kOnePassSignature = 4,
    kSecretKey = 5,
    kPublicKey = 6,
    kSecretSubkey = 7,
    kCompressedData = 8,
    kMarker = 10,
    kLiteralData = 11,
    kTrust = 12,
    kUserId = 13,
    kPublicSubkey = 14,
    kUserAttribute = 17,
    kPadding = 21,
};

struct OpenPgpPacket {
    int tag = 0;
    // The whole body (its partial pieces joined); valid until the next Next.
    std::string_view body;
    // The header and the body as they lie in the input, when the body came
    // in one piece (what a certificate is stored as).
    std::string_view raw;
};

class OpenPgpPacketReader {
  public:
    explicit OpenPgpPacketReader(std::string_view bytes) : rest_(bytes) {}

    enum class Step { kPacket, kEnd, kError };
    // The next packet; kEnd once every byte was read; kError with `error`
    // set for a header or length that does not fit (nothing is read after).
    Step Next(OpenPgpPacket& packet, std::string& error);
    // The input's bytes not read yet.
    std::size_t Left() const { return rest_.size(); }

  private:
    std::string_view rest_;
    std::string joined_;  // a body of partial pieces
};

}  // namespace sumbrook
