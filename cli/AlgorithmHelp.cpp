#include "cli/AlgorithmHelp.h"

#include <algorithm>
#include <vector>

#include "hash/DigestKindTable.h"
#include "lists/DigestKindChoice.h"

namespace sumbrook {

namespace {

// "a, b or c".
std::string Listed(const std::vector<std::string>& items, const char* last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? last : ", ";
        text += items[i];
    }
    return text;
}

// `units` (each kept on one line) joined by blanks, in lines of at most
// kHelpWidth: the first goes on at `column`, the others start with
// `indent` blanks.
std::string Wrapped(const std::vector<std::string>& units, std::size_t column, std::size_t indent) {
    std::string text;
    bool lineHasUnit = false;
    for (const std::string& unit : units) {
        if (lineHasUnit && column + 1 + unit.size() > kHelpWidth) {
            text += "\n" + std::string(indent, ' ');
            column = indent;
            lineHasUnit = false;
        }
        if (lineHasUnit) {
            text += ' ';
            ++column;
        }
        text += unit;
        column += unit.size();
        lineHasUnit = true;
    }
    return text;
}

// The words of `text`, each a unit.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t blank = std::min(text.find(' ', from), text.size());
        if (blank > from) words.push_back(text.substr(from, blank - from));
        from = blank + 1;
    }
    return words;
}

std::string OptionsOf(const DigestKindRow& row) {
    std::vector<std::string> options;
    for (const std::string_view option : row.options) {
        if (!option.empty()) options.emplace_back(option);
    }
    return Listed(options, ", ");
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string DigitsOf(const DigestKindRow& row) {
    return std::to_string(2 * row.size) + " digits";
}

struct Columns {
    std::size_t options = 0;
    std::size_t name = 0;
    std::size_t digits = 0;
};

Columns ColumnsOfTable() {
    Columns columns;
    for (const DigestKindRow& row : kDigestKindRows) {
        columns.options = std::max(columns.options, OptionsOf(row).size() + 2);
        columns.name = std::max(columns.name, row.name.size() + 2);
        columns.digits = std::max(columns.digits, DigitsOf(row).size() + 2);
    }
    return columns;
}

}  // namespace

std::string AlgorithmHelpLine(DigestKind kind) {
    const DigestKindRow& row = RowOf(kind);
    const Columns columns = ColumnsOfTable();
    std::string digits = DigitsOf(row);
    // Right-aligned: " 8 digits" under "32 digits".
    const std::size_t widest = columns.digits - 2;
    if (digits.size() < widest) digits.insert(0, widest - digits.size(), ' ');
    const std::string start = "  " + Padded(OptionsOf(row), columns.options) +
                              Padded(std::string(row.name), columns.name) +
                              Padded(digits, columns.digits);
    return start + Wrapped(Words(std::string(row.help)), start.size(), start.size());
}

std::string AlgorithmHelpText() {
    std::string text = "ALGO, any of these names in any case, with or without '-' (SHA-256):\n";
    std::vector<std::string> upper;
    for (const DigestKindRow& row : kDigestKindRows) {
        text += AlgorithmHelpLine(row.kind) + "\n";
        if (row.digitCase == DigitCase::kUpper) upper.emplace_back(row.name);
    }
    std::vector<std::string> units = {"Other", "digests", "than"};
    units.push_back(Listed(upper, " and "));
    for (const std::string& word : Words("are written in lower-case hex.")) units.push_back(word);
    return text + Wrapped(units, 0, 0) + "\n";
}

std::string KindChoiceHelpText() {
    std::vector<std::string> names;
    std::vector<std::string> sums;
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const std::string_view extension : row.listExtensions) {
            if (!extension.empty()) names.push_back("." + std::string(extension));
        }
        for (const std::string_view name : row.sumsNames) {
            if (!name.empty()) sums.emplace_back(name);
        }
    }
    std::vector<std::string> lengths;
    std::vector<std::string> choices;
    for (const std::size_t digits : DigestLengths()) {
        const std::vector<DigestKind> kinds = DigestKindsOfLength(digits);
        lengths.push_back(std::to_string(digits) + " " + DigestKindName(kinds.front()));
        if (kinds.size() < 2) continue;
        std::vector<std::string> candidates(kinds.size());
        std::transform(kinds.begin(), kinds.end(), candidates.begin(),
                       [](DigestKind kind) { return DigestKindName(kind); });
        choices.push_back(std::to_string(digits) + ": " + Listed(candidates, " or "));
    }
    std::vector<std::string> units = Words(
        "Each digest's algorithm is -a when given, else the line's tag, else the list's name");
    for (std::size_t i = 0; i < names.size(); ++i) {
        units.push_back((i == 0 ? "(" : "") + names[i] + (i + 1 == names.size() ? "," : ""));
    }
    for (std::size_t i = 0; i < sums.size(); ++i) {
        units.push_back(sums[i] + (i + 1 == sums.size() ? ")," : ","));
    }
    for (const std::string& word : Words("else its length")) units.push_back(word);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        units.push_back((i == 0 ? "(" : "") + lengths[i] + (i + 1 == lengths.size() ? ")." : ","));
    }
    if (!choices.empty()) {
        for (const std::string& word : Words("Where the length leaves a choice")) {
            units.push_back(word);
        }
        for (std::size_t i = 0; i < choices.size(); ++i) {
            units.push_back((i == 0 ? "(" : "") + choices[i] +
                            (i + 1 == choices.size() ? ")," : ";"));
        }
        for (const std::string& word :
             Words("the first listed file that is there is read for each, the one that matches is "
                   "used for the whole list, and the summary says which.")) {
            units.push_back(word);
        }
    }
    return Wrapped(units, 0, 0) + "\n";
}

std::string KindsTellingCopiesApart(DigestKind defaultKind) {
    std::vector<std::string> options;
    for (const DigestKindRow& row : kDigestKindRows) {
        if (!row.detectsDamageOnly && row.kind != defaultKind) options.emplace_back(row.options[0]);
    }
    return Listed(options, " or ");
}

}  // namespace sumbrook
