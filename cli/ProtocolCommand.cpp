#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/ListOutput.h"
#include "cli/PrintingSink.h"
#include "files/ChecksumInOrder.h"
#include "files/ListPlainFiles.h"
#include "files/ReadFailure.h"
#include "lists/ProtocolWriter.h"
#include "platform/FullPath.h"
#include "verify/DisplayName.h"
#include "verify/ProtocolText.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr char kNotRepresentable[] =
    "the name has characters that the protocol's code page cannot hold; --sfv lists any name";

// A name with a line break in it would break the protocol's lines.
bool FitsOnOneLine(const std::string& name) {
    return name.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

int WriteDirectoryProtocol(const std::string& directory, const std::string& outputPath,
                           const CliSettings& settings) {
    CommandOutput output(settings, 0);
    if (directory.empty()) {
        output.Complain("--protocol", "no directory given");
        return kExitError;
    }
    PlainFileList list = ListPlainFiles(directory);
    if (!list.ok) {
        output.Complain(DisplayName(directory), list.error);
        return kExitError;
    }
    for (const BrokenLink& link : list.brokenLinks) {
        output.Complain(LinkLeftOutText(link.path, link.error));
    }
    // An earlier protocol at the output path is about to be replaced; a
    // protocol written to a file by standard output is being written.
    LeaveOutFiles(list.files, {ListBeingWritten(outputPath)});

    // The protocol names its folder in full, as the dialog does, so that it
    // is checked against that folder from wherever it is verified.
    std::string directoryText;
    if (!ProtocolTextOf(FullPathOf(directory), directoryText)) {
        output.Complain(DisplayName(directory), kNotRepresentable);
        return kExitError;
    }
    std::vector<FileToRead> files;
    std::vector<std::string> listedNames;
    std::vector<const PlainFile*> listed;
    std::size_t failures = 0;
    for (const PlainFile& file : list.files) {
        std::string name;
        if (!FitsOnOneLine(file.name)) {
            output.Complain(DisplayName(file.path), "a name with a line break cannot be listed");
            ++failures;
            continue;
        }
        if (!ProtocolTextOf(file.name, name)) {
            output.Complain(DisplayName(file.path), kNotRepresentable);
            ++failures;
            continue;
        }
        files.push_back({file.path, file.alternatePath});
        listedNames.push_back(std::move(name));
        listed.push_back(&file);
    }

    std::string protocolText;
    const bool toStandardOutput = outputPath.empty();
    ProtocolWriter writer([&](std::string_view bytes) {
        if (toStandardOutput) return output.Write(bytes);
        protocolText.append(bytes);
        return true;
    });
    output.Meter().SetTotal(files.size());
    bool headWritten = false;
    ChecksumInOrder(
        files, settings.jobs,
        [&](std::size_t index, const FileChecksum& checksum) {
            const PlainFile& file = *listed[index];
            // As in the dialog, the time is taken once the first checksum is known.
            if (!headWritten) {
                writer.WriteHead(NewListTime(output), directoryText);
                headWritten = true;
            }
            if (checksum.status != FileReadStatus::kOk) {
                output.Complain(DisplayName(file.path), ReadFailureText(checksum));
                ++failures;
            } else if (!writer.AddFile(listedNames[index], checksum.digest.Text()) &&
                       checksum.size > 0) {
                output.Complain(DisplayName(file.path),
                                "its checksum is 00000000, which a protocol never lists");
            }
            output.Meter().FileDone(checksum.size);
        },
        [&output] { output.Meter().Tick(); });
    if (!headWritten) writer.WriteHead(NewListTime(output), directoryText);
    writer.WriteTail();

    const bool written = FinishWrittenList(
        output, writer.Ok(), {outputPath, protocolText, "protocol"}, directory, failures, "read");
    return written && failures == 0 ? kExitOk : kExitError;
}

}  // namespace sumbrook
