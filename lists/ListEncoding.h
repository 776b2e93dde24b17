// The encodings a checksum list comes in besides plain bytes: UTF-8 with a
// byte-order mark, and UTF-16 with one (what Windows PowerShell's ">" and
// Notepad's "Unicode" write). UTF-16 is turned into UTF-8 piece by piece
// (ListTextDecoder, under the line reader and the protocol's reading alike),
// so that the readers see UTF-8 whatever the list was saved as.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sumbrook {

enum class ListEncoding { kBytes, kUtf8Bom, kUtf16Le, kUtf16Be };

// The encoding the byte-order mark at the start of a list names; kBytes
// without one.
ListEncoding ListEncodingOf(std::string_view start);

// How many bytes the byte-order mark of `encoding` takes.
std::size_t ByteOrderMarkLength(ListEncoding encoding);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF).
bool IsUtf8(std::string_view text);

// UTF-16 (little or big endian, without its byte-order mark) to UTF-8, fed
// in pieces split anywhere.
class Utf16Decoder {
  public:
    explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

    // Appends the UTF-8 of `bytes` to `utf8`. False once the text is not
    // UTF-16 (a surrogate without its pair); nothing more is decoded then.
    bool Add(std::string_view bytes, std::string& utf8);
    // False when the text ended inside a character (an odd byte, a first
    // surrogate without its second) or was refused before.
    bool Finish() const;

  private:
    bool bigEndian_;
    bool ok_ = true;
    bool haveByte_ = false;
    unsigned char firstByte_ = 0;
    unsigned highSurrogate_ = 0;  // 0 when none is waiting
};

// Why a list that starts with a UTF-16 byte-order mark is refused when it is
// not UTF-16 after it.
inline constexpr char kNotUtf16Text[] = "the list starts as UTF-16 but is no UTF-16 text";

// The text of a list fed in pieces split anywhere: after a UTF-16
// byte-order mark (which is dropped) its UTF-8, else the bytes as they are
// (a UTF-8 mark kept: the line reader drops one at each line's start).
class ListTextDecoder {
  public:
    // Sets `text` to the text of `bytes`, the list's next piece: `bytes`
    // themselves, or what is decoded of them, which stays valid until the
    // next call. False once the list starts as UTF-16 but is no UTF-16 text;
    // `text` then holds what came before the fault, and nothing more is read.
    bool Add(std::string_view bytes, std::string_view& text);
    // Ends the list: `text` is what is left (a list of one byte). False when
    // it ended inside a UTF-16 character, or was refused before.
    bool Finish(std::string_view& text);

  private:
    bool Decode(std::string_view bytes, std::string_view& text);

    enum class Start : unsigned char { kUnread, kBytes, kUtf16 };
    Start start_ = Start::kUnread;
    std::string held_;  // a first byte, until a second tells the encoding
    Utf16Decoder utf16_{false};
    std::string decoded_;
};

}  // namespace sumbrook
