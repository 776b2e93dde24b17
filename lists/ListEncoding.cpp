#include "lists/ListEncoding.h"

#include <utility>

namespace sumbrook {

namespace {

void AppendUtf8(unsigned codePoint, std::string& utf8) {
    const auto byte = [&utf8](unsigned value) { utf8 += static_cast<char>(value); };
    if (codePoint < 0x80) {
        byte(codePoint);
    } else if (codePoint < 0x800) {
        byte(0xC0 | (codePoint >> 6));
        byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        byte(0xE0 | (codePoint >> 12));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    } else {
        byte(0xF0 | (codePoint >> 18));
        byte(0x80 | ((codePoint >> 12) & 0x3F));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

ListEncoding ListEncodingOf(std::string_view start) {
    if (start.substr(0, 3) == "\xEF\xBB\xBF") return ListEncoding::kUtf8Bom;
    if (start.substr(0, 2) == "\xFF\xFE") return ListEncoding::kUtf16Le;
    if (start.substr(0, 2) == "\xFE\xFF") return ListEncoding::kUtf16Be;
    return ListEncoding::kBytes;
}

std::size_t ByteOrderMarkLength(ListEncoding encoding) {
    switch (encoding) {
        case ListEncoding::kUtf8Bom:
            return 3;
        case ListEncoding::kUtf16Le:
        case ListEncoding::kUtf16Be:
            return 2;
        case ListEncoding::kBytes:
            break;
    }
    return 0;
}

bool IsUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 1;
        unsigned low = 0x80;  // the bounds of the second byte
        unsigned high = 0xBF;
        if (lead < 0x80) {
            ++at;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (text.size() - at < length) return false;
        for (std::size_t i = 1; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text[at + i]);
            if (byte < (i == 1 ? low : 0x80U) || byte > (i == 1 ? high : 0xBFU)) return false;
        }
        at += length;
    }
    return true;
}

bool Utf16Decoder::Add(std::string_view bytes, std::string& utf8) {
    for (const char c : bytes) {
        if (!ok_) return false;
        const auto value = static_cast<unsigned char>(c);
        if (!haveByte_) {
            firstByte_ = value;
            haveByte_ = true;
            continue;
        }
        haveByte_ = false;
        const unsigned unit =
            bigEndian_ ? (unsigned{firstByte_} << 8) | value : (unsigned{value} << 8) | firstByte_;
        if (highSurrogate_ != 0) {
            if (unit < 0xDC00 || unit > 0xDFFF) {
                ok_ = false;
                return false;
            }
            AppendUtf8(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00), utf8);
            highSurrogate_ = 0;
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            ok_ = false;
            return false;
        } else {
            AppendUtf8(unit, utf8);
        }
    }
    return ok_;
}

bool Utf16Decoder::Finish() const {
    return ok_ && !haveByte_ && highSurrogate_ == 0;
}

bool ListTextDecoder::Add(std::string_view bytes, std::string_view& text) {
    text = {};
    if (start_ == Start::kUnread) {
        // Two bytes tell a UTF-16 byte-order mark.
        if (held_.size() + bytes.size() < 2) {
            held_.append(bytes);
            return true;
        }
        if (!held_.empty()) {
            held_.append(bytes);
            decoded_ = std::move(held_);
            held_ = std::string();
            bytes = decoded_;
        }
        const ListEncoding encoding = ListEncodingOf(bytes.substr(0, 2));
        if (encoding == ListEncoding::kUtf16Le || encoding == ListEncoding::kUtf16Be) {
            start_ = Start::kUtf16;
            utf16_ = Utf16Decoder(encoding == ListEncoding::kUtf16Be);
            const std::string undecoded(bytes.substr(2));
            return Decode(undecoded, text);
        }
        start_ = Start::kBytes;
    }
    if (start_ == Start::kBytes) {
        text = bytes;
        return true;
    }
    return Decode(bytes, text);
}

bool ListTextDecoder::Decode(std::string_view bytes, std::string_view& text) {
    decoded_.clear();  // `bytes` never points into it
    const bool decoded = utf16_.Add(bytes, decoded_);
    text = decoded_;
    return decoded;
}

bool ListTextDecoder::Finish(std::string_view& text) {
    text = {};
    if (start_ == Start::kUnread) {
        start_ = Start::kBytes;
        decoded_ = std::move(held_);
        held_ = std::string();
        text = decoded_;
    }
    return start_ != Start::kUtf16 || utf16_.Finish();
}

}  // namespace sumbrook
