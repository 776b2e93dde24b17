#include "lists/ListReader.h"

#include <algorithm>
#include <new>
#include <utility>

#include "lists/DigestKindChoice.h"
#include "lists/SfvReader.h"

namespace sumbrook {

namespace {

// Entries whose lines tell how long the list's lines are, and the shortest
// line an entry can have (eight digits, a blank, a name of one byte).
constexpr std::uint64_t kEntriesSampled = 64;
constexpr std::uint64_t kShortestEntryLine = 10;

// The first line of an armoured OpenPGP message, signature or key, which
// is no list (a clear-signed list is read through its frame).
bool IsOpenPgpArmour(std::string_view line) {
    constexpr std::string_view kArmour = "-----BEGIN PGP ";
    return line.substr(0, kArmour.size()) == kArmour;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The file that a list named `listName` is the digest file of: its name
// without folders and without its last extension; empty when it has none.
std::string_view FileOfDigestFile(std::string_view listName) {
    const std::size_t slash = listName.find_last_of("/\\");
    if (slash != std::string_view::npos) listName.remove_prefix(slash + 1);
    const std::size_t dot = listName.rfind('.');
    if (dot == std::string_view::npos) return {};
    return listName.substr(0, dot);
}

ListFormat FormatOfLine(ListLineRead::Form form) {
    switch (form) {
        case ListLineRead::Form::kSfv:
            return ListFormat::kSfv;
        case ListLineRead::Form::kSum:
            return ListFormat::kSum;
        case ListLineRead::Form::kTag:
            break;
    }
    return ListFormat::kTag;
}

}  // namespace

bool ListReadResult::HasUnsettledKinds() const {
    return std::any_of(entries.begin(), entries.end(),
                       [](const ListEntry& entry) { return !entry.kindSettled; });
}

void ListReadResult::SettleKind(DigestKind kind) {
    for (ListEntry& entry : entries) {
        if (entry.kindSettled) continue;
        const std::vector<DigestKind> kinds = DigestKindsOfLength(2 * DigestSize(entry.kind));
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) continue;
        entry.kind = kind;
        entry.kindSettled = true;
    }
}

ListReader::ListReader(ListReadOptions options)
    : options_(std::move(options)), named_(DigestKindOfListName(options_.listName)) {}

bool ListReader::Add(std::string_view bytes) {
    return lines_.Add(bytes, *this);
}

ListReadResult ListReader::Finish() {
    bool ok = lines_.Finish(*this);
    std::string error = lines_.Fault();
    std::size_t line = refusedLine_ != 0 ? refusedLine_ : lines_.FaultLine();
    if (ok && !format_ && eitherLine_ != 0) {
        ok = false;
        error = eitherWhy_;
        line = eitherLine_;
    }
    // A list of comments only: as its name says, else as SFV, unless no
    // line of it is an SFV entry and each starts with '#' (a sum list's).
    if (ok && !format_) {
        const bool sumComments = !heldLines_.empty() && AllHeldAreSumComments();
        ok = Decide(named_ || options_.forced || sumComments ? ListFormat::kSum : ListFormat::kSfv,
                    error);
        line = refusedLine_;
    }
    if (ok && result_.clearSigned) {
        error = frame_.Unfinished();
        ok = error.empty();
        if (ok) result_.signedParts = frame_.TakeParts();
        line = std::max<std::size_t>(lines_.Lines(), 1);
    }
    result_.ok = ok;
    result_.oneFile =
        ok && result_.entries.size() == 1 &&
        (digestAlone_ || (result_.entries.front().name == FileOfDigestFile(options_.listName) &&
                          !FileOfDigestFile(options_.listName).empty()));
    if (!ok) {
        result_.entries.clear();
        result_.entries.shrink_to_fit();
        result_.names = NameStore();
        result_.digests = DigestStore();
        result_.line = line;
        result_.error = std::move(error);
    }
    return std::move(result_);
}

bool ListReader::TakeLine(std::string_view line, std::size_t number, std::string& error) {
    lineBytes_ += line.size() + 1;
    if (number == 1 && ClearSignedFrame::IsStart(line)) result_.clearSigned = true;
    if (result_.clearSigned) {
        std::string_view text;
        switch (frame_.Take(line, text, error)) {
            case ClearSignedFrame::Part::kFrame:
                return true;
            case ClearSignedFrame::Part::kError:
                return false;
            case ClearSignedFrame::Part::kSigned:
                line = text;
                break;
        }
    }
    return TakeListLine(line, number, error);
}

bool ListReader::TakeListLine(std::string_view line, std::size_t number, std::string& error) {
    if (!format_) {
        if (IsBlankLine(line)) return true;
        if (line.front() == ';' || line.front() == '#') {
            held_.append(line);
            heldLines_.emplace_back(number, line.size());
            return true;
        }
        std::string why;
        if (ReadsAsSfvOrCrcSum(options_.listName, options_.forced, line, why)) {
            if (eitherLine_ == 0) {
                eitherLine_ = number;
                eitherWhy_ = std::move(why);
            }
            held_.append(line);
            heldLines_.emplace_back(number, line.size());
            return true;
        }
        if (IsOpenPgpArmour(line)) {
            error = "the file is an OpenPGP message or signature (" + std::string(line) +
                    "), not a list; a signed list reads when clear-signed (-----BEGIN PGP "
                    "SIGNED MESSAGE-----)";
            return false;
        }
        if (!Decide(RecogniseListFormat(options_.listName, options_.forced, line), error)) {
            return false;
        }
    }
    DescriptorOf(*format_).readLine(line, read_);
    switch (read_.kind) {
        case ListLineRead::Kind::kNothing:
            return true;
        case ListLineRead::Kind::kError:
            error = std::move(read_.error);
            return false;
        case ListLineRead::Kind::kDigestAlone: {
            const std::string_view file = FileOfDigestFile(options_.listName);
            if (!result_.entries.empty() || file.empty()) {
                error = result_.entries.empty()
                            ? "a digest without a name, and the list's name names no file"
                            : "a digest without a name";
                return false;
            }
            read_.unescaped.assign(file);
            read_.name = read_.unescaped;
            if (!TakeEntry(number, error)) return false;
            digestAlone_ = number;
            return true;
        }
        case ListLineRead::Kind::kEntry:
            break;
    }
    return TakeEntry(number, error);
}

bool ListReader::AllHeldAreSumComments() const {
    std::size_t at = 0;
    for (const auto& [number, length] : heldLines_) {
        const std::string_view line = std::string_view(held_).substr(at, length);
        at += length;
        if (line.front() != '#' || ParseSfvLineText(line).kind == SfvLineResult::Kind::kEntry) {
            return false;
        }
    }
    return true;
}

bool ListReader::Decide(ListFormat format, std::string& error) {
    format_ = format;
    std::size_t at = 0;
    for (const auto& [number, length] : heldLines_) {
        const std::string_view line = std::string_view(held_).substr(at, length);
        at += length;
        DescriptorOf(format).readLine(line, read_);
        bool taken = true;
        if (read_.kind == ListLineRead::Kind::kEntry) {
            taken = TakeEntry(number, error);
        } else if (read_.kind == ListLineRead::Kind::kError) {
            error = std::move(read_.error);
            taken = false;
        }
        if (!taken) {
            refusedLine_ = number;
            return false;
        }
    }
    held_ = std::string();
    heldLines_ = {};
    return true;
}

bool ListReader::TakeEntry(std::size_t number, std::string& error) {
    if (digestAlone_) {
        error = "line " + std::to_string(*digestAlone_) +
                " holds a digest without a name, so the list holds nothing else";
        return false;
    }
    const DigestKindChoice choice =
        ChooseDigestKind(options_.forced, read_.tagged, named_, read_.digits.size());
    if (!choice.ok) {
        error = choice.error;
        return false;
    }
    const std::optional<Digest> digest = Digest::Parse(choice.kind, read_.digits);
    if (!digest) {
        error = "the digest \"" + std::string(read_.digits) + "\" is not hexadecimal";
        return false;
    }
    const std::optional<std::uint32_t> at = result_.digests.Add(*digest);
    if (!at) {
        error = "the list holds more digests than can be kept";
        return false;
    }
    if (result_.entries.empty()) result_.format = FormatOfLine(read_.form);
    ListEntry entry;
    entry.name = result_.names.Add(read_.name);
    entry.line = number;
    entry.digestAt = *at;
    entry.kind = choice.kind;
    entry.kindSettled = choice.settled;
    result_.entries.push_back(entry);
    if (result_.entries.size() == kEntriesSampled && options_.bytes > lineBytes_) {
        // As many more as the rest of the list holds at this rate, and a
        // tenth; never more than its shortest lines could make.
        const std::uint64_t more = (options_.bytes - lineBytes_) * kEntriesSampled / lineBytes_;
        const std::uint64_t room =
            std::min(kEntriesSampled + more + more / 10, options_.bytes / kShortestEntryLine);
        try {
            if (room <= result_.entries.max_size()) {
                result_.entries.reserve(static_cast<std::size_t>(room));
            }
        } catch (const std::bad_alloc&) {
            // grown as it goes, then
        }
    }
    return true;
}

ListReadResult ReadList(std::string_view text, ListReadOptions options) {
    ListReader reader(std::move(options));
    reader.Add(text);
    return reader.Finish();
}

}  // namespace sumbrook
