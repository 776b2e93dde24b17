#include "platform/ReplacingFileWriter.h"

namespace sumbrook {

std::string ReplaceFileContent(const std::string& path, std::string_view bytes) {
    ReplacingFileWriter writer(path);
    if (writer.Write(bytes) && writer.Commit()) return {};
    return writer.Error();
}

}  // namespace sumbrook
