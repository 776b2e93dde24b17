// How a typed file name is compared with the name the file system reports:
// byte by byte, after upper-casing a to z and the seven lower-case letters
// of code page 437 that have a capital there.
#pragma once

#include <string>
#include <string_view>

namespace sumbrook {

// a..z become A..Z; 0x81, 0x82, 0x84, 0x86, 0x87, 0x94, 0xA4 become
// 0x9A, 0x90, 0x8E, 0x8F, 0x80, 0x99, 0xA5. Every other byte is kept.
char UpperCaseNameByte(char byte);
std::string UpperCaseName(std::string_view name);

// True when both names, upper-cased, have the same length and the same bytes.
bool NamesMatch(std::string_view typed, std::string_view found);

// Whether the file system of this build tells names apart only up to case,
// so that two names that NamesMatch name one file (Windows), or compares them
// byte by byte (elsewhere).
#ifdef _WIN32
inline constexpr bool kNamesFoldCase = true;
#else
inline constexpr bool kNamesFoldCase = false;
#endif

}  // namespace sumbrook
