#include <algorithm>

#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "files/ReadFailure.h"
#include "lists/SumLine.h"
#include "verify/DisplayName.h"

namespace sumbrook {

namespace {

// The line of a file read for `settings.algorithm` (and `settings.tag`):
// the path as given, '/' between folders as b3sum makes it on Windows.
std::string DigestLine(const std::string& given, const Digest& digest,
                       const CliSettings& settings) {
#ifdef _WIN32
    std::string path = given;
    std::replace(path.begin(), path.end(), '\\', '/');
#else
    const std::string& path = given;
#endif
    return settings.tag ? TagLine(path, digest) : SumLine(path, digest);
}

}  // namespace

int ChecksumFiles(const std::vector<std::string>& paths, const CliSettings& settings) {
    std::vector<FileToRead> files;
    files.reserve(paths.size());
    for (const std::string& path : paths) files.push_back({path, {}});
    CommandOutput output(settings, files.size());
    // -a crc32 prints the CRC-32 lines as they always were.
    const bool digestLines =
        (settings.algorithm && *settings.algorithm != DigestKind::kCrc32) || settings.tag;
    // As ChecksumInOrder's own reading, for the kind asked.
    FileReadControl control(nullptr, std::max(settings.jobs, UsableProcessorCount()));
    FileAccess access =
        WithDigestKind(kPerThreadUtf8FileAccess, settings.algorithm.value_or(DigestKind::kCrc32));
    access.control = &control;
    std::size_t failures = 0;
    ChecksumInOrder(
        files, settings.jobs,
        [&](std::size_t index, const FileChecksum& checksum) {
            if (checksum.status != FileReadStatus::kOk) {
                output.Complain(DisplayName(paths[index]), ReadFailureText(checksum));
                ++failures;
            } else if (digestLines) {
                output.Line(DigestLine(paths[index], checksum.digest, settings));
            } else {
                output.Line(checksum.digest.Text() + "  " + DisplayName(paths[index]));
            }
            output.Meter().FileDone(checksum.size);
        },
        [&output] { output.Meter().Tick(); },
        [&access](const FileToRead& file, unsigned parts, std::vector<unsigned char>& buffer) {
            return ReadFileChecksum(file, parts, buffer, access);
        },
        &control);
    if (!output.Finish()) {
        output.ComplainOutputLost();
        return kExitError;
    }
    return failures > 0 ? kExitError : kExitOk;
}

}  // namespace sumbrook
