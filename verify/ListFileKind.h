// What a file given as a list is, told in one place for every reader of
// lists: a device or a folder, known by its name and by what it is before it
// is opened (a device would be opened and waited on, or on Windows NUL read
// as a list of nothing); else, by its first bytes, the dialog's protocol or
// a list of lines, the encoding its byte-order mark names, and whether it
// starts as text at all. The line reader (lists/ListLineReader.h) decodes
// what this finds; nothing here is decoded but the protocol's first line.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "lists/ListEncoding.h"

namespace sumbrook {

enum class ListFileKind : unsigned char { kDevice, kFolder, kUnread, kProtocol, kLines };

struct ListFileJudgement {
    ListFileKind kind = ListFileKind::kLines;
    // kProtocol, kLines: what the byte-order mark at its start names.
    ListEncoding encoding = ListEncoding::kBytes;
    // kProtocol, kLines: its start holds no control byte but tab, CR and LF
    // (a program, an image, UTF-16 without its mark do); a start with a
    // UTF-16 mark counts as text.
    bool text = true;
    // kDevice, kFolder: "a device, not a list", "a folder, not a list";
    // kUnread: why its start could not be read.
    std::string why;
};

// Reads the first bytes of the file (as many as the caller looks at; fewer
// at its end) and points `start` at them. Empty when they were read, else
// why not.
using ListStartReader = std::function<std::string(std::string_view& start)>;

// Judges the file named `path` (empty: bytes that no name stands for, as
// standard input's), reading its start with `readStart` only once neither
// its name (on Windows, a device's: "aux.sfv", "COM1:") nor the folder
// there says it is no list. The protocol is known by its first line, also
// after a UTF-8 byte-order mark or as UTF-16.
ListFileJudgement JudgeListFile(std::string_view path, const ListStartReader& readStart);

}  // namespace sumbrook
