#include "lists/ListFormat.h"

#include "lists/DigestKindChoice.h"
#include "lists/ProtocolFormat.h"
#include "lists/SfvReader.h"
#include "lists/SfvWriter.h"
#include "lists/SumLine.h"

namespace sumbrook {

namespace {

void ReadSfvListLine(std::string_view line, ListLineRead& read) {
    read.Clear();
    read.form = ListLineRead::Form::kSfv;
    SfvLineResult parsed = ParseSfvLineText(line);
    if (parsed.kind == SfvLineResult::Kind::kNothing) return;
    if (parsed.kind == SfvLineResult::Kind::kError) {
        read.kind = ListLineRead::Kind::kError;
        read.error = std::move(parsed.error);
        return;
    }
    // The checksum is the line's last eight bytes before its blanks.
    const std::size_t end = line.find_last_not_of(" \t") + 1;
    read.kind = ListLineRead::Kind::kEntry;
    read.name = parsed.entry.name;
    read.digits = line.substr(end - 8, 8);
    read.tagged = DigestKind::kCrc32;
}

bool HoldsCrc32Only(DigestKind kind) {
    return kind == DigestKind::kCrc32;
}
bool HoldsEveryKind(DigestKind) {
    return true;
}

std::string SfvLine(std::string_view name, const Digest& digest) {
    return SfvEntryLine(name, digest.Crc32());
}

std::vector<std::string> NoHeader(std::string_view, std::string_view, const LocalDateTime&) {
    return {};
}

constexpr ListFormatDescriptor kDescriptors[] = {
    {ListFormat::kProtocol, "protocol", nullptr, HoldsCrc32Only, nullptr, nullptr, nullptr, ""},
    {ListFormat::kSfv, "SFV", ReadSfvListLine, HoldsCrc32Only, SfvNameFault, SfvLine,
     SfvHeaderLines, kSfvLineEnd},
    {ListFormat::kSum, "sum lines", ReadSumLine, HoldsEveryKind, SumNameFault, SumLine, NoHeader,
     "\n"},
    {ListFormat::kTag, "tag lines", ReadSumLine, HoldsEveryKind, SumNameFault, TagLine, NoHeader,
     "\n"},
};

bool HasSfvExtension(std::string_view listName) {
    if (listName.size() < 4) return false;
    std::string extension(listName.substr(listName.size() - 4));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == ".sfv";
}

}  // namespace

const ListFormatDescriptor& DescriptorOf(ListFormat format) {
    return kDescriptors[static_cast<std::size_t>(format)];
}

bool IsProtocolStart(std::string_view line) {
    return line.substr(0, kProtocolHeaderStart.size()) == kProtocolHeaderStart;
}

ListFormat RecogniseListFormat(std::string_view listName, std::optional<DigestKind> forced,
                               std::string_view firstEntryLine) {
    if (HasSfvExtension(listName)) return ListFormat::kSfv;
    if (forced == DigestKind::kCrc32) forced.reset();
    const std::optional<DigestKind> named = DigestKindOfListName(listName);
    ListLineRead read;
    ReadSumLine(firstEntryLine, read);
    if (read.form == ListLineRead::Form::kTag) return ListFormat::kTag;

    const std::size_t digits = read.digits.size();
    const auto isLengthOf = [digits](std::optional<DigestKind> kind) {
        return kind && digits == 2 * DigestSize(*kind);
    };
    const bool fits = digits > 0 && (!DigestKindsOfLength(digits).empty() || isLengthOf(forced) ||
                                     isLengthOf(named));
    const bool kindNamed = forced || named;
    switch (read.kind) {
        case ListLineRead::Kind::kEntry:
            if (read.tagged) return ListFormat::kSum;
            if (!fits) return ListFormat::kSfv;
            if (kindNamed) return ListFormat::kSum;
            return ParseSfvLineText(firstEntryLine).kind == SfvLineResult::Kind::kEntry
                       ? ListFormat::kSfv
                       : ListFormat::kSum;
        case ListLineRead::Kind::kDigestAlone:
            return fits ? ListFormat::kSum : ListFormat::kSfv;
        case ListLineRead::Kind::kError:
            // A sum line gone wrong in a list whose name says what it holds.
            return fits && kindNamed ? ListFormat::kSum : ListFormat::kSfv;
        case ListLineRead::Kind::kNothing:
            break;
    }
    return ListFormat::kSfv;
}

}  // namespace sumbrook
