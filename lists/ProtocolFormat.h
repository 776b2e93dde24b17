// The lines of the protocol file "#CRC32codes.txt": plain bytes of the ANSI
// code page, each line ended by CR LF (added by the writer, not here).
//
//   CRC32-codes of following files calculated 06.12.2026, 01:19:04
//   Directory C:\Data\Samples
//   File name                         CRC32-code
//   --------------------------------------------------------------
//   abc.txt                           352441C2
//   --------------------------------------------------------------
//   1 files calculated by program Sumbrook.exe
//   (empty line)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/LocalClock.h"

namespace sumbrook {

inline constexpr char kProtocolFileName[] = "#CRC32codes.txt";

// The fixed texts of the lines, shared by the writer and the reader.
inline constexpr std::string_view kProtocolHeaderStart =
    "CRC32-codes of following files calculated ";
inline constexpr std::string_view kProtocolDirectoryStart = "Directory ";
inline constexpr std::string_view kProtocolColumnLine =
    "File name                         CRC32-code";
inline constexpr std::string_view kProtocolCountEnd = " files calculated by program Sumbrook.exe";
inline constexpr std::string_view kProtocolLineEnd = "\r\n";

// Width of the name field of a file line; longer names are cut to it.
inline constexpr std::size_t kProtocolNameWidth = 34;

// "06.12.2026": day and month with two digits, the year with four.
std::string ProtocolDateText(const LocalDateTime& when);
// "01:19:04": 24-hour clock, every field with two digits.
std::string ProtocolTimeText(const LocalDateTime& when);

// "CRC32-codes of following files calculated <date>, <time>"; 62 characters.
std::string ProtocolHeaderLine(const LocalDateTime& when);
// "Directory " and the directory text exactly as typed.
std::string ProtocolDirectoryLine(std::string_view directoryText);
// As many dashes as the longer of the header line and the directory line.
std::string ProtocolSeparatorLine(std::size_t headerLineLength, std::size_t directoryLineLength);
// The name cut or blank-filled to 34 characters, then the checksum text. In
// the Windows build a character is a byte of the ANSI code page; elsewhere
// the name is UTF-8 and is cut after its last whole character within 34
// bytes, then blank-filled to 34 bytes.
std::string ProtocolFileLine(std::string_view name, std::string_view crcText);
// A name field (34 bytes) as names are matched with it. Outside the Windows
// build a UTF-8 character cut off at the field's end, as earlier writers
// cut names byte by byte, counts as blanks, so that the protocols they
// wrote match the names they were written for; in the Windows build the
// field itself.
std::string ProtocolNameFieldKey(std::string_view field);
// "<count> files calculated by program Sumbrook.exe", the same for every count.
std::string ProtocolCountLine(int count);

}  // namespace sumbrook
