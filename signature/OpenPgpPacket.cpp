#include "signature/OpenPgpPacket.h"

#include <cstdint>

namespace sumbrook {

namespace {

// Only the data packets may come in partial pieces or run to the end.
bool MayBeStreamed(int tag) {
    return tag == 8 || tag == 9 || tag == 11 || tag == 18 || tag == 20;
}

std::uint8_t At(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

std::size_t BigEndian(std::string_view bytes, std::size_t count) {
    std::size_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | At(bytes, i);
    return value;
}

}  // namespace

OpenPgpPacketReader::Step OpenPgpPacketReader::Next(OpenPgpPacket& packet, std::string& error) {
    if (rest_.empty()) return Step::kEnd;
    const std::string_view start = rest_;
    const auto fail = [&](const char* why) {
        error = why;
        rest_ = {};
        return Step::kError;
    };
    const std::uint8_t first = At(rest_, 0);
    if ((first & 0x80) == 0) return fail("not an OpenPGP packet (its first bit is clear)");
    rest_.remove_prefix(1);
    if ((first & 0x40) == 0) {
        // The old format: the tag in bits 5-2, the length's size in bits 1-0.
        packet.tag = (first >> 2) & 0x0F;
        const unsigned type = first & 3U;
        std::size_t length = rest_.size();
        if (type == 3) {
            if (!MayBeStreamed(packet.tag)) return fail("a packet of no length that is no data");
        } else {
            const std::size_t size = type == 0 ? 1 : type == 1 ? 2 : 4;
            if (rest_.size() < size) return fail("the packet's length is cut off");
            length = BigEndian(rest_, size);
            rest_.remove_prefix(size);
        }
        if (length > rest_.size()) return fail("the packet is longer than what follows it");
        packet.body = rest_.substr(0, length);
        rest_.remove_prefix(length);
        packet.raw = start.substr(0, start.size() - rest_.size());
        return Step::kPacket;
    }
    packet.tag = first & 0x3F;
    // The new format: lengths of one, two or five bytes, or a partial piece
    // of 2^n bytes followed by another length.
    bool partial = false;
    joined_.clear();
    for (;;) {
        if (rest_.empty()) return fail("the packet's length is cut off");
        const std::uint8_t lead = At(rest_, 0);
        std::size_t length = 0;
        bool piece = false;
        if (lead < 192) {
            length = lead;
            rest_.remove_prefix(1);
        } else if (lead < 224) {
            if (rest_.size() < 2) return fail("the packet's length is cut off");
            length = ((static_cast<std::size_t>(lead) - 192) << 8) + At(rest_, 1) + 192;
            rest_.remove_prefix(2);
        } else if (lead == 255) {
            if (rest_.size() < 5) return fail("the packet's length is cut off");
            length = BigEndian(rest_.substr(1), 4);
            rest_.remove_prefix(5);
        } else {
            if (!MayBeStreamed(packet.tag))
                return fail("a packet in partial pieces that is no data");
            // The first piece is at least 512 bytes (RFC 9580 4.2.1.4).
            length = std::size_t{1} << (lead & 0x1F);
            if (!partial && length < 512) return fail("a first partial piece under 512 bytes");
            piece = true;
            rest_.remove_prefix(1);
        }
        if (length > rest_.size()) return fail("the packet is longer than what follows it");
        if (!piece && !partial) {
            packet.body = rest_.substr(0, length);
            rest_.remove_prefix(length);
            packet.raw = start.substr(0, start.size() - rest_.size());
            return Step::kPacket;
        }
        joined_.append(rest_.substr(0, length));
        rest_.remove_prefix(length);
        partial = true;
        if (!piece) break;
    }
    packet.body = joined_;
    packet.raw = {};
    return Step::kPacket;
}

}  // namespace sumbrook
