// The encodings a checksum list comes in besides plain bytes: UTF-8 with a
// byte-order mark, and UTF-16 with one (what Windows PowerShell's ">" and
// Notepad's "Unicode" write). UTF-16 is turned into UTF-8 piece by piece, so
// that the readers see UTF-8 lines whatever the list was saved as.
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

}  // namespace sumbrook
