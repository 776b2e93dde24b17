// The three commands of sumbrook-cli. Each writes its results to `out`, its
// complaints to `err`, and returns the exit code of the run.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"

namespace sumbrook {

struct CliSettings {
    unsigned jobs = 1;      // threads that read files at once
    bool progress = false;  // a progress line on `err` (a terminal) for runs over a second
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// One line per file, "<CRC text>  <path as given>". A file that cannot be
// read gets a line on `err` with the reason instead, and the code 2.
int ChecksumFiles(const std::vector<std::string>& paths, const CliSettings& settings);

// The protocol of the plain files in `directory`, to `outputPath` or, when
// that is empty, to `out` (bytes unchanged). Files that cannot be read are
// named on `err` with the reason, counted, and make the code 2; the protocol
// is still written, in its own format. A file written at `outputPath` is
// written whole at the end, so a failed run leaves no partial protocol.
int WriteDirectoryProtocol(const std::string& directory, const std::string& outputPath,
                           const CliSettings& settings);

// Checks the plain files of `directory` (when empty: the directory that the
// protocol names) against the protocol at `protocolPath`: one line per file,
// then the summary line. A protocol that cannot be read or does not fit the
// format gets one error naming the line, and nothing else happens.
int VerifyDirectory(const std::string& protocolPath, const std::string& directory,
                    const CliSettings& settings);

}  // namespace sumbrook
