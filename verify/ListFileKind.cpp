#include "verify/ListFileKind.h"

#include "files/PathSeparators.h"
#include "lists/ListedPath.h"
#include "lists/ProtocolFormat.h"
#include "lists/WindowsDeviceName.h"
#include "platform/IsFolder.h"

namespace sumbrook {

namespace {

bool NamesDevice(std::string_view path) {
    if (kThisPathSystem != PathSystem::kWindows) return false;
    if (path.size() > 2 && path.back() == ':') path.remove_suffix(1);  // "COM1:"
    const std::size_t separator = LastPathSeparator(path);
    if (separator != std::string_view::npos) path.remove_prefix(separator + 1);
    return IsWindowsDeviceName(path);
}

bool HoldsControlBytes(std::string_view bytes) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F) return true;
    }
    return false;
}

}  // namespace

ListFileJudgement JudgeListFile(std::string_view path, const ListStartReader& readStart) {
    ListFileJudgement judged;
    if (!path.empty() && NamesDevice(path)) {
        judged.kind = ListFileKind::kDevice;
        judged.why = "a device, not a list";
        return judged;
    }
    if (!path.empty() && IsFolder(std::string(path))) {
        judged.kind = ListFileKind::kFolder;
        judged.why = "a folder, not a list";
        return judged;
    }
    std::string_view start;
    judged.why = readStart(start);
    if (!judged.why.empty()) {
        judged.kind = ListFileKind::kUnread;
        return judged;
    }
    judged.encoding = ListEncodingOf(start);
    const bool utf16 =
        judged.encoding == ListEncoding::kUtf16Le || judged.encoding == ListEncoding::kUtf16Be;
    if (!utf16) judged.text = !HoldsControlBytes(start);
    // The protocol's first words, decoded as the line reader decodes a list.
    ListTextDecoder decoder;
    std::string_view text;
    decoder.Add(start.substr(0, 2 + 2 * kProtocolHeaderStart.size()), text);
    if (judged.encoding == ListEncoding::kUtf8Bom) text.remove_prefix(3);
    judged.kind = text.substr(0, kProtocolHeaderStart.size()) == kProtocolHeaderStart
                      ? ListFileKind::kProtocol
                      : ListFileKind::kLines;
    return judged;
}

}  // namespace sumbrook
