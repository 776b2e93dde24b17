#include "verifier/ListFileTypes.h"

#include <algorithm>

#include "hash/DigestKindTable.h"
#include "verifier/NewListKinds.h"

namespace sumbrook {

namespace {

// Every row's sumsNames ends so; Explorer cannot single them out by name,
// the open dialog by this pattern.
constexpr std::string_view kSumsEnd = "SUMS";

constexpr bool SumsNamesEndAlike() {
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const std::string_view& name : row.sumsNames) {
            if (!name.empty() && (name.size() <= kSumsEnd.size() ||
                                  name.substr(name.size() - kSumsEnd.size()) != kSumsEnd)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(SumsNamesEndAlike(), "a *SUMS name that the open dialog's pattern misses");

void AddOnce(std::vector<std::string>& texts, std::string text) {
    if (std::find(texts.begin(), texts.end(), text) == texts.end())
        texts.push_back(std::move(text));
}

}  // namespace

std::vector<std::string> ListFileExtensions() {
    std::vector<std::string> extensions{std::string(".") + kSfvListExtension};
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const std::string_view extension : row.listExtensions) {
            if (!extension.empty()) AddOnce(extensions, "." + std::string(extension));
        }
    }
    return extensions;
}

std::string ListFilePatterns() {
    std::string patterns;
    for (const std::string& extension : ListFileExtensions()) patterns += "*" + extension + ";";
    return patterns + "*" + std::string(kSumsEnd);
}

std::string ListFilterLabel() {
    std::vector<std::string> shown;
    for (const NewListKind& kind : kNewListKinds)
        AddOnce(shown, "*." + std::string(kind.extension));
    std::string label = "Checksum lists (";
    for (const std::string& pattern : shown) label += pattern + ", ";
    return label + "*" + std::string(kSumsEnd) + ")";
}

}  // namespace sumbrook
