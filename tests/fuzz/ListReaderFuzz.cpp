// Fuzz target for the reader of every line format (libFuzzer; `make fuzz`).
// The input's first byte picks the list's name (and so what it names) and a
// forced kind, its second the size of the pieces the list is fed in; the
// rest is the list. Any list must be refused with a line number (0 for one
// that starts as UTF-16 and is none) and a reason, or read, the same in pieces as whole; what is
// read holds sound entries, and written again as tag lines (and, of one kind, as sum lines with
// that kind forced) reads back to the same names, kinds and digests.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "lists/ListEncoding.h"
#include "lists/ListReader.h"
#include "lists/SumLine.h"

namespace {

using namespace sumbrook;  // NOLINT

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr const char* kListNames[] = {"list",   "SHA256SUMS",    "x.sfv",    "dir/image.iso.sha256",
                                      "B3SUMS", "a.b\\list.md5", "CHECKSUM", "x.xxh3"};

void RequireSame(const ListReadResult& a, const ListReadResult& b) {
    Require(a.ok == b.ok && a.line == b.line && a.error == b.error);
    Require(a.format == b.format && a.clearSigned == b.clearSigned);
    Require(a.entries.size() == b.entries.size());
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const ListEntry& x = a.entries[i];
        const ListEntry& y = b.entries[i];
        Require(x.name == y.name && x.line == y.line && x.kind == y.kind);
        Require(x.kindSettled == y.kindSettled && a.DigestOf(x) == b.DigestOf(y));
    }
}

// `read`'s entries written by `line` read back as `read` holds them.
void RequireRewritten(const ListReadResult& read,
                      std::string (*line)(std::string_view, const Digest&),
                      std::optional<DigestKind> forced) {
    std::string written;
    for (const ListEntry& entry : read.entries) {
        // Too long once escaped, or a CR that b3sum's and xxhsum's lines end with.
        if (!SumNameFaultOf(entry.name, entry.kind).empty()) return;
        written += line(entry.name, read.DigestOf(entry)) + "\n";
    }
    const ListReadResult again = ReadList(written, {"list", forced});
    Require(again.ok && again.entries.size() == read.entries.size());
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        Require(again.entries[i].name == read.entries[i].name);
        Require(again.entries[i].kindSettled);
        Require(again.DigestOf(again.entries[i]) == read.DigestOf(read.entries[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    ListReadOptions options;
    options.listName = kListNames[data[0] & 7];
    const unsigned forced = (data[0] >> 3) & 15;
    if (forced >= 1 && forced <= kDigestKindCount) {
        options.forced = static_cast<DigestKind>(forced - 1);
    }
    const std::size_t piece = std::size_t{data[1]} + 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    const ListReadResult whole = ReadList(text, options);
    ListReader reader(options);
    for (std::size_t at = 0; at < text.size(); at += piece) reader.Add(text.substr(at, piece));
    RequireSame(whole, reader.Finish());
    if (!whole.ok) {
        // Line 0: a list that starts as UTF-16 and is none.
        const ListEncoding encoding = ListEncodingOf(text);
        Require((whole.line >= 1 || encoding == ListEncoding::kUtf16Le ||
                 encoding == ListEncoding::kUtf16Be) &&
                !whole.error.empty() && whole.entries.empty());
        return 0;
    }
    std::size_t lastLine = 0;
    bool oneKind = true;
    for (const ListEntry& entry : whole.entries) {
        Require(!entry.name.empty() && entry.name.find('\0') == std::string_view::npos);
        Require(entry.line > lastLine);
        lastLine = entry.line;
        Require(!options.forced || (entry.kind == *options.forced && entry.kindSettled));
        Require(whole.DigestOf(entry).Kind() == entry.kind);
        oneKind = oneKind && entry.kind == whole.entries.front().kind;
    }
    Require(!whole.oneFile || whole.entries.size() == 1);
    if (whole.entries.empty()) return 0;
    RequireRewritten(whole, TagLine, std::nullopt);
    if (oneKind && whole.entries.front().kind != DigestKind::kCrc32) {
        RequireRewritten(whole, SumLine, whole.entries.front().kind);
    }
    return 0;
}
