#include "cli/ListOutput.h"

#include "platform/ReplacingFileWriter.h"
#include "verify/DisplayName.h"
#include "verify/ListHeaderTime.h"

namespace sumbrook {

LocalDateTime NewListTime(CommandOutput& output) {
    std::string warning;
    const LocalDateTime when = ListHeaderTime(warning);
    if (!warning.empty()) output.Complain(warning);
    return when;
}

FileIdentity ListBeingWritten(const std::string& outputPath) {
    return outputPath.empty() ? IdentityOfStandardOutput() : IdentityOf(outputPath);
}

bool FinishWrittenList(CommandOutput& output, bool written, const WrittenList& list,
                       const std::string& directory, std::size_t failures, const char* verb) {
    written = output.Finish() && written;
    if (written && !list.outputPath.empty()) {
        ReplacingFileWriter writer(list.outputPath);
        if (!writer.Write(list.text) || !writer.Commit()) {
            output.Complain(
                DisplayName(list.outputPath),
                "cannot be written: " + writer.Error() +
                    (writer.ReplacesAFile() ? "; what was there is left as it was" : ""));
            written = false;
        }
    } else if (!written) {
        output.Complain("standard output", "cannot be written");
    }
    if (failures > 0) {
        output.Complain(DisplayName(directory),
                        std::to_string(failures) +
                            (failures == 1 ? " file could not be " : " files could not be ") +
                            verb + (failures == 1 ? "; it is" : "; they are") + " not in the " +
                            list.kind);
    }
    return written;
}

}  // namespace sumbrook
