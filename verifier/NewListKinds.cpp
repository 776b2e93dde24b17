#include "verifier/NewListKinds.h"

#include "lists/DigestKindChoice.h"

namespace sumbrook {

NewListKind NewListKindOfTarget(const std::string& target, bool tag) {
    const std::optional<DigestKind> named = DigestKindOfListName(target);
    const ListFormat format = tag ? ListFormat::kTag : ListFormat::kSum;
    for (const NewListKind& kind : kNewListKinds) {
        if (named && kind.digest == *named && kind.format == format) return kind;
    }
    return kNewListKinds[0];
}

}  // namespace sumbrook
