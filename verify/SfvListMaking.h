// Making an SFV list of a folder (or of its tree): the files listed and read
// in order, their lines, and the files left out with the reason. The caller
// writes the list where it belongs, after the header lines of SfvHeaderLines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/SameFile.h"
#include "verify/CheckSink.h"

namespace sumbrook {

struct SfvListOutcome {
    CheckOutcome::End end = CheckOutcome::End::kDone;
    // kRefused: the folder as given, and why it cannot be listed.
    std::string subject;
    std::string error;
    // "<name> <CRC>" for each file in the list, sorted by name byte by
    // byte, without line ends (join them with kSfvLineEnd).
    std::vector<std::string> lines;
    std::size_t filesLeftOut =
        0;  // names an SFV list cannot hold, and files that could not be read
    std::size_t foldersNotListed = 0;
};

// Lists the plain files of `directory` (with `options.recursive`, of its
// tree), leaving out the files of `leaveOut` (by identity: the list being
// replaced, or written), and reads them as `options` say. The sink gets, in this order:
// the folders that could not be listed; a row (UNREADABLE, `nameFault` and
// `failedPath` set) for each name an SFV list cannot hold (SfvNameFault);
// the plan; then a row per file read in list order, OK with its checksum or
// UNREADABLE with the failure and `failedPath`; and progress meanwhile.
// `options.only` is not used. Cancelled: `lines` holds the files read so far.
SfvListOutcome MakeSfvList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                           const CheckOptions& options, CheckSink& sink);

}  // namespace sumbrook
