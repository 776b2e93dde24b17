// Making a list of a folder (or of its tree), SFV or of sum or tag lines: the
// files listed and read in order, their lines, and the files left out with
// the reason. The caller writes the list where it belongs (ListText).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/SameFile.h"
#include "lists/ListFormat.h"
#include "verify/CheckSink.h"

namespace sumbrook {

// Lists the plain files of `directory` (with `options.recursive`, of its
// tree), leaving out the files of `leaveOut` (by identity: the list being
// replaced, or written), and reads them for `options.algorithm` (none:
// CRC-32; a kind `format` holds). The sink gets, in this order: the folders
// that could not be listed; the links that lead to no file; a row
// (UNREADABLE, `nameFault` and `failedPath` set) for each name a list of
// `format` cannot hold (its nameFault, or one that would read back as
// another); the plan; then a row per file read in list order, OK with its
// digest or UNREADABLE with the failure and `failedPath`; and progress
// meanwhile. `options.only` is not used. `lines` gets the format's
// entryLine of each file in the list, sorted by name byte by byte, without
// line ends (ListText puts a list together); cancelled, the files read so
// far. The outcome counts the rows handed over (the files left out are its
// UNREADABLE ones); refused, `subject` is the folder as given and `error`
// why it cannot be listed.
CheckOutcome MakeList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                      const CheckOptions& options, CheckSink& sink, ListFormat format,
                      std::vector<std::string>& lines);

}  // namespace sumbrook
