#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/DisplayName.h"
#include "cli/ListHeaderTime.h"
#include "cli/ListOutput.h"
#include "cli/ParallelChecksum.h"
#include "files/ListPlainFilesTree.h"
#include "files/ReadFailure.h"
#include "lists/SfvWriter.h"

namespace sumbrook {

int WriteDirectorySfv(const std::string& directory, bool recursive, const std::string& outputPath,
                      const CliSettings& settings) {
    CommandOutput output(settings, 0);
    PlainFileTree tree = ListPlainFilesTree(directory, recursive);
    if (!tree.ok) {
        output.Complain(DisplayName(directory), tree.error);
        return kExitError;
    }
    for (const FolderFault& fault : tree.faults) {
        output.Complain(DisplayName(fault.path), "the folder cannot be listed: " + fault.error);
    }
    // An earlier list at the output path is about to be replaced.
    if (!outputPath.empty()) LeaveOutFile(tree.files, outputPath);

    std::vector<FileToRead> files;
    std::vector<const PlainFile*> listed;
    std::size_t failures = 0;
    for (const PlainFile& file : tree.files) {
        const std::string fault = SfvPathFault(file.name);
        if (!fault.empty()) {
            output.Complain(DisplayName(file.path), "cannot be listed: " + fault);
            ++failures;
            continue;
        }
        files.push_back({file.path, file.alternatePath});
        listed.push_back(&file);
    }

    std::string listText;
    const bool toStandardOutput = outputPath.empty();
    bool written = true;
    const auto emit = [&](const std::string& line) {
        if (toStandardOutput) {
            written = output.Write(line) && output.Write(kSfvLineEnd) && written;
        } else {
            listText += line;
            listText += kSfvLineEnd;
        }
    };
    for (const std::string& line :
         SfvHeaderLines("sumbrook-cli", settings.version, ListHeaderTime(settings.err))) {
        emit(line);
    }
    output.Meter().SetTotal(files.size());
    ChecksumInOrder(
        files, settings.jobs,
        [&](std::size_t index, const FileChecksum& checksum) {
            if (checksum.status == FileReadStatus::kOk) {
                emit(SfvEntryLine(listed[index]->name, checksum.crc));
            } else {
                output.Complain(DisplayName(listed[index]->path), ReadFailureText(checksum));
                ++failures;
            }
            output.Meter().FileDone(checksum.size);
        },
        [&output] { output.Meter().Tick(); });

    written = FinishWrittenList(output, written, {outputPath, listText, "list"}, directory,
                                failures, "listed");
    return written && failures == 0 && tree.faults.empty() ? kExitOk : kExitError;
}

}  // namespace sumbrook
