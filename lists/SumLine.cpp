#include "lists/SumLine.h"

#include <algorithm>

#include "hash/DigestKindTable.h"
#include "lists/ListLineReader.h"

namespace sumbrook {

namespace {

// The longest tag and digest a written line holds besides its name.
constexpr std::size_t kLongestFrame = 160;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsHex(char c) {
    return HexDigitValue(c) >= 0;
}
// Hex digits first: the first word of most lines is a digest.
bool IsTagCharacter(char c) {
    return IsHex(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_' ||
           c == '/';
}

bool IsBase64(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=' || c == '-' || c == '_';
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}
std::string_view TrimBlanks(std::string_view text) {
    text = SkipBlanks(text);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}
// The leading run of `text` whose characters pass `test`.
template <typename Test>
std::string_view RunOf(std::string_view text, Test test) {
    const auto end = std::find_if_not(text.begin(), text.end(), test);
    return text.substr(0, static_cast<std::size_t>(end - text.begin()));
}
bool AllHex(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return IsHex(c); });
}

// The kind a tag names, in any case: a tag of its row (OpenSSL's
// "SHA2-256" among them), else DigestKindFromName's names.
char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool SameLetters(std::string_view upper, std::string_view text) {
    return upper.size() == text.size() &&
           std::equal(upper.begin(), upper.end(), text.begin(),
                      [](char a, char b) { return a == UpperLetter(b); });
}
std::optional<DigestKind> KindOfTag(std::string_view tag) {
    std::string upper(tag);
    for (char& c : upper) c = UpperLetter(c);
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const std::string_view rowTag : row.tags) {
            if (!rowTag.empty() && SameLetters(upper, rowTag)) return row.kind;
        }
    }
    return DigestKindFromName(upper);
}

// coreutils' unescaping of an escaped name into `name`; false with `error`
// for any other '\'.
bool Unescape(std::string_view text, std::string& name, std::string& error) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (++i == text.size()) {
            error = "the escaped name ends with a lone '\\'";
            return false;
        }
        switch (text[i]) {
            case '\\':
                name += '\\';
                break;
            case 'n':
                name += '\n';
                break;
            case 'r':
                name += '\r';
                break;
            default:
                error = std::string("the escaped name holds \"\\") + text[i] +
                        "\"; only \\\\, \\n and \\r are escapes";
                return false;
        }
    }
    return true;
}

void Refuse(ListLineRead& read, std::string error) {
    read.kind = ListLineRead::Kind::kError;
    read.error = std::move(error);
}

// Takes `name` (escaped or not) as the entry's name, or refuses it.
void TakeName(std::string_view name, bool escaped, ListLineRead& read) {
    if (name.empty()) return Refuse(read, "the line has a digest but no name");
    if (escaped) {
        if (!Unescape(name, read.unescaped, read.error)) return Refuse(read, read.error);
        name = read.unescaped;
    }
    if (name.find('\0') != std::string_view::npos) {
        return Refuse(read, "the name holds a NUL byte");
    }
    read.kind = ListLineRead::Kind::kEntry;
    read.name = name;
}

// A tag line: "TAG (NAME) = HEX", blanks before '(' and around '=' allowed
// or not, blanks after the digits. False when the line is not of that shape
// (then `read` is untouched).
bool ReadTagLine(std::string_view text, bool escaped, ListLineRead& read) {
    const std::string_view tag = RunOf(text, [](char c) { return IsTagCharacter(c); });
    const std::string_view afterTag = SkipBlanks(text.substr(tag.size()));
    if (afterTag.empty() || afterTag.front() != '(') return false;
    // A tag holds a letter that is no hex digit, so a digest is none.
    if (tag.empty() || AllHex(tag)) return false;
    const std::size_t close = afterTag.rfind(')');
    if (close == std::string_view::npos) return false;
    std::string_view rest = SkipBlanks(afterTag.substr(close + 1));
    if (rest.empty() || rest.front() != '=') return false;
    const std::string_view digits = TrimBlanks(rest.substr(1));
    if (!AllHex(digits)) {
        // A known tag before a digest in base64 (cksum --base64): a tag
        // line of a form not read here, rather than some other format's.
        const std::optional<DigestKind> kind = KindOfTag(tag);
        if (!kind || digits.empty() || !std::all_of(digits.begin(), digits.end(), IsBase64)) {
            return false;
        }
        read.form = ListLineRead::Form::kTag;
        Refuse(read, "the " + std::string(DigestKindName(*kind)) + " digest \"" +
                         std::string(digits) +
                         "\" is not hexadecimal; digests in base64 (cksum --base64) are not "
                         "read here");
        return true;
    }

    read.form = ListLineRead::Form::kTag;
    read.tagged = KindOfTag(tag);
    if (!read.tagged) {
        Refuse(read, "the tag \"" + std::string(tag) + "\" names no algorithm known here (" +
                         DigestKindOptionList() + ")");
        return true;
    }
    read.digits = digits;
    TakeName(afterTag.substr(1, close - 1), escaped, read);
    return true;
}

// Whether the tool of `kind` writes a CR in a name as it is and reads it so
// (b3sum, xxhsum): "\\r" is no escape to them.
bool WritesCrRaw(DigestKind kind) {
    return RowOf(kind).escaping != NameEscaping::kCoreutils;
}

bool NeedsEscape(std::string_view name, DigestKind kind) {
    switch (RowOf(kind).escaping) {
        case NameEscaping::kCoreutils:
            return name.find_first_of("\\\n\r") != std::string_view::npos;
        case NameEscaping::kB3sum:
            return name.find_first_of("\\\n") != std::string_view::npos;
        case NameEscaping::kXxhsum:
            return name.find('\n') != std::string_view::npos;
    }
    return true;
}

// The name as the line holds it, and whether the line starts with '\'.
std::string WrittenName(std::string_view name, DigestKind kind, bool& escaped) {
    escaped = NeedsEscape(name, kind);
    if (!escaped) return std::string(name);
    // b3sum and xxhsum read no "\r": a CR stays as it is.
    const bool everyCr = !WritesCrRaw(kind);
    std::string written;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '\\') {
            written += "\\\\";
        } else if (c == '\n') {
            written += "\\n";
        } else if (c == '\r' && everyCr) {
            written += "\\r";
        } else {
            written += c;
        }
    }
    return written;
}

std::string WrittenTagLine(std::string_view name, const Digest& digest) {
    bool escaped = false;
    const std::string written = WrittenName(name, digest.Kind(), escaped);
    return (escaped ? "\\" : "") + std::string(DigestTag(digest.Kind())) + " (" + written +
           ") = " + digest.Text();
}

}  // namespace

void ReadSumLine(std::string_view line, ListLineRead& read) {
    read.Clear();
    if (line.empty() || line.front() == '#') return;
    std::string_view text = SkipBlanks(line);
    if (text.empty()) return;
    const bool escaped = text.front() == '\\';
    if (escaped) text.remove_prefix(1);
    if (ReadTagLine(text, escaped, read)) return;

    read.form = ListLineRead::Form::kSum;
    for (const DigestKindRow& row : kDigestKindRows) {
        if (row.sumPrefix.empty() || text.substr(0, row.sumPrefix.size()) != row.sumPrefix)
            continue;
        read.tagged = row.kind;
        text.remove_prefix(row.sumPrefix.size());
        break;
    }
    read.digits = RunOf(text, [](char c) { return IsHex(c); });
    const std::string_view after = text.substr(read.digits.size());
    if (read.digits.empty()) {
        return Refuse(read, "expected \"DIGEST  NAME\" or \"ALGORITHM (NAME) = DIGEST\"");
    }
    if (SkipBlanks(after).empty()) {
        read.kind = ListLineRead::Kind::kDigestAlone;
        return;
    }
    if (after.size() >= 2 && IsBlank(after[0]) && (after[1] == ' ' || after[1] == '*')) {
        return TakeName(after.substr(2), escaped, read);
    }
    if (IsBlank(after[0])) {
        return Refuse(read,
                      "one blank between the digest and the name; a sum line has two, or a "
                      "blank and '*'");
    }
    Refuse(read, "expected \"DIGEST  NAME\" or \"ALGORITHM (NAME) = DIGEST\"");
}

const char* DigestTag(DigestKind kind) {
    return RowOf(kind).tags[0].data();
}

std::string SumNameFault(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (name.find('\0') != std::string_view::npos) return "the name holds a NUL byte";
    const auto escapes = static_cast<std::size_t>(std::count_if(
        name.begin(), name.end(), [](char c) { return c == '\\' || c == '\n' || c == '\r'; }));
    if (name.size() + escapes + kLongestFrame > kMaxListLineLength) {
        return "the name is too long for a line of " + std::to_string(kMaxListLineLength) +
               " bytes";
    }
    return {};
}

std::string SumNameFaultOf(std::string_view name, DigestKind kind) {
    std::string fault = SumNameFault(name);
    if (!fault.empty() || !WritesCrRaw(kind)) return fault;
    if (name.back() == '\r') {
        return "a name that ends with a CR would read back without it (a CR before the line "
               "break ends the line)";
    }
    if (RowOf(kind).escaping == NameEscaping::kXxhsum &&
        name.find('\n') != std::string_view::npos) {
        return "xxhsum reads no escapes, so a name with a line break cannot be listed for it";
    }
    return {};
}

std::string SumLine(std::string_view name, const Digest& digest) {
    if (RowOf(digest.Kind()).sumLineIsTagLine) return WrittenTagLine(name, digest);
    bool escaped = false;
    const std::string written = WrittenName(name, digest.Kind(), escaped);
    return (escaped ? "\\" : "") + digest.Text() + "  " + written;
}

std::string TagLine(std::string_view name, const Digest& digest) {
    return WrittenTagLine(name, digest);
}

}  // namespace sumbrook
