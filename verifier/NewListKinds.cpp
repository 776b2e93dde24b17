#include "verifier/NewListKinds.h"

#include "lists/DigestKindChoice.h"

namespace sumbrook {

std::string NewListKind::Label() const {
    const char* form = format == ListFormat::kSfv   ? " SFV list"
                       : format == ListFormat::kSum ? " sum lines"
                                                    : " BSD tags";
    return DigestKindName(digest) + std::string(form);
}

NewListKind NewListKindOfTarget(const std::string& target, bool tag) {
    const std::optional<DigestKind> named = DigestKindOfListName(target);
    const ListFormat format = tag ? ListFormat::kTag : ListFormat::kSum;
    if (!named) return kNewListKinds[0];
    for (const NewListKind& kind : kNewListKinds) {
        if (kind.digest == *named && kind.format == format) return kind;
    }
    // A kind with no tag lines here (BLAKE3): its sum lines.
    for (const NewListKind& kind : kNewListKinds) {
        if (kind.digest == *named && kind.format == ListFormat::kSum) return kind;
    }
    return kNewListKinds[0];
}

std::string TargetFollowingKind(const std::string& target, const NewListKind& kind) {
    const std::size_t slash = target.find_last_of("\\/");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = target.substr(nameStart);
    const std::optional<DigestKind> named = DigestKindOfListName(name);
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const std::string sfvEnd = std::string(".") + kSfvListExtension;
    const bool sfvName = lower.size() > sfvEnd.size() &&
                         lower.compare(lower.size() - sfvEnd.size(), sfvEnd.size(), sfvEnd) == 0;
    const bool follows =
        named ? *named == kind.digest : !sfvName || kind.format == ListFormat::kSfv;
    if (follows) return target;
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return target.substr(0, nameStart) + stem + "." + kind.extension;
}

}  // namespace sumbrook
