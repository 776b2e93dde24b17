// The end of a command that writes a list (a protocol or an SFV list).
#pragma once

#include <cstddef>
#include <string>

#include "cli/CommandOutput.h"
#include "files/SameFile.h"
#include "platform/LocalClock.h"

namespace sumbrook {

struct WrittenList {
    std::string outputPath;  // "" when the list went to standard output
    std::string text;        // the whole list, for `outputPath`
    const char* kind;        // "protocol" or "list", for the messages
};

// The time the header of a new list names (ListHeaderTime); a warning about
// SOURCE_DATE_EPOCH goes to standard error.
LocalDateTime NewListTime(CommandOutput& output);

// The file a list goes to, which its listing leaves out: the file at
// `outputPath` (where a link there leads) when there is one, else standard
// output's file when it is one.
FileIdentity ListBeingWritten(const std::string& outputPath);

// Finishes the output and, when it all went well so far (`written`), puts
// the list at its path as ReplacingFileWriter does (a file in one piece, so
// that a failed run leaves no partial list and an earlier file there as it
// was; a device, a pipe or a descriptor directly). Says on standard error
// what failed, and how many of `directory`'s files were left out
// (`failures`, each `verb` "read" or "listed"). True when the list reached
// its place.
bool FinishWrittenList(CommandOutput& output, bool written, const WrittenList& list,
                       const std::string& directory, std::size_t failures, const char* verb);

}  // namespace sumbrook
