#include "lists/DigestKindChoice.h"

#include <algorithm>
#include <utility>

#include "hash/DigestKindTable.h"

namespace sumbrook {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// "8, 16, 32 or 64".
std::string LengthsText() {
    const std::vector<std::size_t> lengths = DigestLengths();
    std::string text;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        if (i > 0) text += i + 1 == lengths.size() ? " or " : ", ";
        text += std::to_string(lengths[i]);
    }
    return text;
}

DigestKindChoice Refused(std::string error) {
    DigestKindChoice choice;
    choice.error = std::move(error);
    return choice;
}

}  // namespace

std::optional<DigestKind> DigestKindOfListName(std::string_view listName) {
    const std::size_t slash = listName.find_last_of("/\\");
    const std::string name =
        Lower(slash == std::string_view::npos ? listName : listName.substr(slash + 1));
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const std::string_view sumsName : row.sumsNames) {
            if (sumsName.empty()) continue;
            const std::string sums = Lower(sumsName);
            if (!EndsWith(name, sums)) continue;
            const std::size_t before = name.size() - sums.size();
            if (before == 0 || name[before - 1] == '-' || name[before - 1] == '_' ||
                name[before - 1] == '.') {
                return row.kind;
            }
        }
    }
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const std::string_view listExtension : row.listExtensions) {
            if (!listExtension.empty() && extension == Lower(listExtension)) return row.kind;
        }
    }
    return std::nullopt;
}

bool DetectsDamageOnly(DigestKind kind) {
    return RowOf(kind).detectsDamageOnly;
}

std::vector<DigestKind> DigestKindsOfLength(std::size_t digits) {
    std::vector<const DigestKindRow*> rows;
    for (const DigestKindRow& row : kDigestKindRows) {
        if (2 * row.size == digits) rows.push_back(&row);
    }
    std::sort(rows.begin(), rows.end(), [](const DigestKindRow* a, const DigestKindRow* b) {
        return a->lengthRank < b->lengthRank;
    });
    std::vector<DigestKind> kinds;
    kinds.reserve(rows.size());
    for (const DigestKindRow* row : rows) kinds.push_back(row->kind);
    return kinds;
}

std::vector<std::size_t> DigestLengths() {
    std::vector<std::size_t> lengths(kDigestKindRows.size());
    std::transform(kDigestKindRows.begin(), kDigestKindRows.end(), lengths.begin(),
                   [](const DigestKindRow& row) { return 2 * row.size; });
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    return lengths;
}

DigestKindChoice ChooseDigestKind(std::optional<DigestKind> forced,
                                  std::optional<DigestKind> tagged, std::optional<DigestKind> named,
                                  std::size_t digits) {
    DigestKindChoice choice;
    if (forced && tagged && *forced != *tagged) {
        return Refused(std::string("the line's digest is ") + DigestKindName(*tagged) + ", not " +
                       DigestKindName(*forced) + " as asked");
    }
    const std::optional<DigestKind> told = forced ? forced : tagged ? tagged : named;
    if (told) {
        choice.kind = *told;
    } else {
        const std::vector<DigestKind> kinds = DigestKindsOfLength(digits);
        if (kinds.empty()) {
            return Refused("a digest of " + std::to_string(digits) +
                           " digits is of no algorithm known here (" + LengthsText() + " digits)");
        }
        choice.kind = kinds.front();
        choice.settled = kinds.size() == 1;
    }
    const std::size_t expected = 2 * DigestSize(choice.kind);
    if (digits != expected) {
        return Refused("the digest has " + std::to_string(digits) + " digits; a " +
                       DigestKindName(choice.kind) + " digest has " + std::to_string(expected));
    }
    choice.ok = true;
    return choice;
}

}  // namespace sumbrook
