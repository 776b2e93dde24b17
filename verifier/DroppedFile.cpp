#include "verifier/DroppedFile.h"

#include <optional>
#include <string>

#include "hash/Digest.h"
#include "lists/ListFormat.h"
#include "verify/ListFileKind.h"

namespace sumbrook {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// "NAME 1234ABCD": eight hex digits after a blank end the line.
bool IsSfvShaped(std::string_view line) {
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (line.size() < 10 || !IsBlank(line[line.size() - 9])) return false;
    for (std::size_t i = line.size() - 8; i < line.size(); ++i) {
        if (HexDigitValue(line[i]) < 0) return false;
    }
    return true;
}

}  // namespace

bool ReadsAsList(std::string_view head) {
    const ListFileJudgement judged = JudgeListFile({}, [head](std::string_view& start) {
        start = head;
        return std::string();
    });
    if (judged.kind == ListFileKind::kProtocol) return true;
    if (judged.encoding == ListEncoding::kUtf16Le || judged.encoding == ListEncoding::kUtf16Be) {
        return true;
    }
    if (!judged.text) return false;
    head.remove_prefix(ByteOrderMarkLength(judged.encoding));
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        std::size_t start = 0;
        while (start < line.size() && IsBlank(line[start])) ++start;
        line.remove_prefix(start);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line == "-----BEGIN PGP SIGNED MESSAGE-----") return true;
        return RecogniseListFormat("", std::nullopt, line) != ListFormat::kSfv || IsSfvShaped(line);
    }
    return false;
}

}  // namespace sumbrook
