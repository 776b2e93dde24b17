// The reading part of a checking command (--verify, --compare): its report's
// files read in order and handed to the report as they come.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/ParallelChecksum.h"
#include "cli/Verify.h"

namespace sumbrook {

// Reads `report.FilesToRead()` with the settings' jobs and cache rule, hands
// each checksum to `report.FileRead` in order, then `report.Finish()`, and
// prints the summary line that `summary(report.Tally())` gives. False (said
// on standard error) when what was printed did not all reach standard output.
template <typename Report, typename Summary>
bool ReadIntoReport(Report& report, CommandOutput& output, const CliSettings& settings,
                    Summary summary) {
    const std::vector<FileToRead> files = report.FilesToRead();
    output.Meter().SetTotal(files.size());
    ChecksumInOrder(
        files, settings.jobs,
        [&](std::size_t, const FileChecksum& checksum) {
            report.FileRead(checksum);
            output.Meter().FileDone(checksum.size);
        },
        [&output] { output.Meter().Tick(); }, CommandLineReader(settings.uncached));
    report.Finish();
    output.Line(summary(report.Tally()));
    if (output.Finish()) return true;
    output.Complain("standard output", "cannot be written");
    return false;
}

}  // namespace sumbrook
