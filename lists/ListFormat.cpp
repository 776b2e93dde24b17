#include "lists/ListFormat.h"

#include "lists/DigestKindChoice.h"
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
// A sum line of eight digits is read back only as SFV's.
bool HoldsAllButCrc32(DigestKind kind) {
    return kind != DigestKind::kCrc32;
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
    {ListFormat::kProtocol, "protocol", nullptr, HoldsCrc32Only,
     "a protocol holds CRC-32 checksums only, not ", " digests", nullptr, nullptr, nullptr, "",
     ControlBytes::kRefused},
    {ListFormat::kSfv, "SFV", ReadSfvListLine, HoldsCrc32Only,
     "an SFV list holds CRC-32 checksums only, not ", " digests", SfvNameFault, SfvLine,
     SfvHeaderLines, kSfvLineEnd, ControlBytes::kRefused},
    {ListFormat::kSum, "sum lines", ReadSumLine, HoldsAllButCrc32, "sum lines hold no ",
     " (sha256sum's peers would take it for another algorithm)", SumNameFault, SumLine, NoHeader,
     "\n", ControlBytes::kInNames},
    {ListFormat::kTag, "tag lines", ReadSumLine, HoldsEveryKind, "", "", SumNameFault, TagLine,
     NoHeader, "\n", ControlBytes::kInNames},
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

std::string NotHeldText(ListFormat format, DigestKind kind) {
    const ListFormatDescriptor& descriptor = DescriptorOf(format);
    if (descriptor.holds(kind)) return {};
    return descriptor.notHeldStart + std::string(DigestKindName(kind)) + descriptor.notHeldEnd;
}

std::string ListPathFault(const ListFormatDescriptor& format, std::string_view path) {
    std::string fault = format.nameFault(path);
    if (!fault.empty()) return fault;
    const ListedPath read = ResolveListedPath(path, kThisPathSystem, format.controlBytes);
    if (!read.ok) return read.error;
    if (JoinListedPath(read.components, '/') == path) return {};
    if (path.find('\\') != std::string_view::npos) {
        return "a list reads '\\' in a name as a folder separator";
    }
    return "a list would read the name as another one";
}

ListFormat RecogniseListFormat(std::string_view listName, std::optional<DigestKind> forced,
                               std::string_view firstEntryLine) {
    if (HasSfvExtension(listName)) return ListFormat::kSfv;
    if (forced == DigestKind::kCrc32) forced.reset();
    ListLineRead read;
    ReadSumLine(firstEntryLine, read);
    if (read.form == ListLineRead::Form::kTag) return ListFormat::kTag;

    // The list's name or the caller says what it holds: any line that
    // starts as a sum line is one, and is refused as one when it is wrong.
    if (forced || DigestKindOfListName(listName)) return ListFormat::kSum;
    if (read.tagged && read.kind == ListLineRead::Kind::kEntry) return ListFormat::kSum;
    if (DigestKindsOfLength(read.digits.size()).empty()) return ListFormat::kSfv;
    if (read.kind != ListLineRead::Kind::kError) return ListFormat::kSum;
    // A sum line gone wrong, unless SFV reads it ("<64 hex> 1234ABCD").
    return ParseSfvLineText(firstEntryLine).kind == SfvLineResult::Kind::kEntry ? ListFormat::kSfv
                                                                                : ListFormat::kSum;
}

bool ReadsAsSfvOrCrcSum(std::string_view listName, std::optional<DigestKind> forced,
                        std::string_view line, std::string& why) {
    if (forced || HasSfvExtension(listName) || DigestKindOfListName(listName)) return false;
    ListLineRead read;
    ReadSumLine(line, read);
    if (read.kind != ListLineRead::Kind::kEntry || read.tagged ||
        read.digits.size() != 2 * DigestSize(DigestKind::kCrc32)) {
        return false;
    }
    const SfvLineResult sfv = ParseSfvLineText(line);
    if (sfv.kind != SfvLineResult::Kind::kEntry) return false;
    why = "the line may be SFV (the CRC-32 of \"" + std::string(sfv.entry.name) +
          "\") or a CRC-32 sum line as rhash writes it (of \"" + std::string(read.name) +
          "\"), and no line of the list tells which; name the list *.sfv to read it as SFV, "
          "or check it with -a crc32 to read sum lines";
    return true;
}

}  // namespace sumbrook
