// Conversions between the text encodings of the Windows build: UTF-16 (the
// ...W calls), UTF-8 (the command line's own text) and the ANSI code page
// (the ...A calls and the dialog's protocol). Windows only.
#pragma once

#include <string>
#include <string_view>

namespace sumbrook {

// UTF-8 to UTF-16; a byte sequence that is not UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// UTF-16 to the ANSI code page, without best-fit look-alikes. False (and
// `ansi` unspecified) when a character has no place in the code page.
bool AnsiFromWide(std::wstring_view text, std::string& ansi);

// The ANSI code page to UTF-16.
std::wstring WideFromAnsi(std::string_view text);

}  // namespace sumbrook
