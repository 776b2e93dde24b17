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
    if (!written) output.ComplainOutputLost();
    if (failures > 0) {
        output.Complain(DisplayName(directory),
                        std::to_string(failures) +
                            (failures == 1 ? " file could not be " : " files could not be ") +
                            verb + (failures == 1 ? "; it is" : "; they are") + " not in the " +
                            list.kind);
    }
    if (!written || list.outputPath.empty()) return written;
    // A run that failed leaves the file as it was: a shorter list in its
    // place would pass for the whole folder's.
    if (failures > 0) {
        output.Complain(DisplayName(list.outputPath),
                        std::string("not written, since the ") + list.kind +
                            " would lack them; what was there is left as it was");
        return true;
    }
    ReplacingFileWriter writer(list.outputPath);
    if (!writer.Write(list.text) || !writer.Commit()) {
        output.Complain(DisplayName(list.outputPath),
                        "cannot be written: " + writer.Error() +
                            (writer.ReplacesAFile() ? "; what was there is left as it was" : ""));
        return false;
    }
    return true;
}

}  // namespace sumbrook
