// Where a report or a new list may be written after a run: never over a file
// the run read, and never over a read-only file.
#pragma once

#include <string>
#include <vector>

namespace sumbrook {

// Empty when a report or a list may replace the file at `target`; else why
// not, to follow the target in a sentence: "is the list being checked", "is
// a file of the check (DIR/a.txt)", "is read-only". `listPath` ("" for none)
// and `runFiles` (paths of files of the run; only those that end in the
// target's name need be given) are compared by identity, as a list being
// written is left out of its listing, so that another spelling of one of
// them, or a link to it, is refused too.
std::string OutputTargetFault(const std::string& target, const std::string& listPath,
                              const std::vector<std::string>& runFiles);

}  // namespace sumbrook
