// Making a list of a folder (or of its tree), SFV or of sum or tag lines: the
// files listed and read in order, their lines, and the files left out with
// the reason; and the text of a new SFV list. The caller writes the list
// where it belongs, after the header lines of its format
// (ListFormatDescriptor::headerLines).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/SameFile.h"
#include "lists/ListFormat.h"
#include "platform/LocalClock.h"
#include "verify/CheckSink.h"

namespace sumbrook {

// Lists the plain files of `directory` (with `options.recursive`, of its
// tree), leaving out the files of `leaveOut` (by identity: the list being
// replaced, or written), and reads them as `options` say. The sink gets, in this order:
// the folders that could not be listed; the links that lead to no file; a
// row (UNREADABLE, `nameFault` and `failedPath` set) for each name an SFV
// list cannot hold (SfvNameFault);
// the plan; then a row per file read in list order, OK with its checksum or
// UNREADABLE with the failure and `failedPath`; and progress meanwhile.
// `options.only` is not used. `lines` gets "<name> <CRC>" for each file in
// the list, sorted by name byte by byte, without line ends; cancelled, the
// files read so far. The outcome counts the rows handed over (the files
// left out are its UNREADABLE ones); refused, `subject` is the folder as
// given and `error` why it cannot be listed.
CheckOutcome MakeSfvList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                         const CheckOptions& options, CheckSink& sink,
                         std::vector<std::string>& lines);

// MakeSfvList for a list of `format` (sum or tag lines; SFV as MakeSfvList
// makes it), its files read for `options.algorithm` (a kind the format
// holds): a name the format cannot hold (its nameFault) is left out, each
// file's line is the format's entryLine.
CheckOutcome MakeList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                      const CheckOptions& options, CheckSink& sink, ListFormat format,
                      std::vector<std::string>& lines);

// The whole text of a new list: the header lines of `program` and `version`
// at `when` (SfvHeaderLines), then `lines`, each ended by kSfvLineEnd.
std::string SfvListText(std::string_view program, std::string_view version,
                        const LocalDateTime& when, const std::vector<std::string>& lines);

}  // namespace sumbrook
