#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "files/ChecksumInOrder.h"
#include "files/ReadFailure.h"
#include "verify/DisplayName.h"

namespace sumbrook {

int ChecksumFiles(const std::vector<std::string>& paths, const CliSettings& settings) {
    std::vector<FileToRead> files;
    files.reserve(paths.size());
    for (const std::string& path : paths) files.push_back({path, {}});
    CommandOutput output(settings, files.size());
    std::size_t failures = 0;
    ChecksumInOrder(
        files, settings.jobs,
        [&](std::size_t index, const FileChecksum& checksum) {
            if (checksum.status == FileReadStatus::kOk) {
                output.Line(checksum.digest.Text() + "  " + DisplayName(paths[index]));
            } else {
                output.Complain(DisplayName(paths[index]), ReadFailureText(checksum));
                ++failures;
            }
            output.Meter().FileDone(checksum.size);
        },
        [&output] { output.Meter().Tick(); });
    if (!output.Finish()) {
        output.Complain("standard output", "cannot be written");
        return kExitError;
    }
    return failures > 0 ? kExitError : kExitOk;
}

}  // namespace sumbrook
