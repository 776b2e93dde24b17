// Fuzz target for the SFV reader (libFuzzer). Any input must be refused with
// a line number and a reason, or read; what is read, written back as the
// writer writes a list, must read again to the same names and checksums. An
// input with a UTF-16 byte-order mark is decoded first, as a list file is.
// The plan of a list that is read, matched with folders that hold some of
// its files as listed and some up to case, gives each line to exactly one
// row, no two rows one path, and no file found to two rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/Utf8NameFold.h"
#include "lists/ListEncoding.h"
#include "lists/ListedPath.h"
#include "lists/SfvReader.h"
#include "lists/SfvWriter.h"
#include "verify/ListCheck.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void RequireSoundPlan(const std::vector<sumbrook::SfvEntry>& read, bool foldCase) {
    using namespace sumbrook;  // NOLINT
    std::vector<ListEntry> entries;
    for (const SfvEntry& one : read) {
        ListEntry entry;
        entry.name = one.name;
        entry.line = one.line;
        entries.push_back(entry);
    }
    const std::size_t lines = entries.size();
    NameStore paths;
    ListPlan plan = PlanListVerification(entries, paths);
    if (!plan.ok) {
        Require(plan.line >= 1 && !plan.error.empty());
        return;
    }
    // The folders hold every third listed path as listed, and every other
    // one up-cased: matched byte for byte, up to case, or missing.
    ListFileMatcher matcher(plan, entries, foldCase);
    std::set<std::pair<std::string, std::string>> held;
    for (std::size_t index = 0; index < plan.rows.size(); ++index) {
        if (plan.rows[index].kind == ListRow::Kind::kNotHeld) continue;
        const std::string path(entries[plan.rows[index].entry].name);
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
        const std::string name = path.substr(slash + 1);
        if (index % 3 == 0) held.emplace(folder, name);
        if (index % 2 == 0) held.emplace(folder, FoldedUtf8Name(name));
    }
    for (const auto& [folder, name] : held) {
        FolderEntry entry;
        entry.name = name;
        entry.plainFile = true;
        if (matcher.Match(folder, name) == ListRow::kNone) matcher.Unmatched(folder, entry);
    }
    for (const std::string& folder : plan.folders) matcher.FolderListed(folder);
    matcher.Finish();
    std::vector<int> rowsOfEntry(lines, 0);
    std::set<std::string> rowPaths;
    std::set<std::uint32_t> filesRead;
    for (const ListRow& row : plan.rows) {
        if (row.kind == ListRow::Kind::kJoined) continue;
        if (row.kind == ListRow::Kind::kUnlisted) {
            Require(row.file < plan.found.size() && plan.found[row.file].row == ListRow::kNone);
            Require(filesRead.insert(row.file).second);
            continue;
        }
        Require(row.entry < lines);
        ++rowsOfEntry[row.entry];
        if (row.kind == ListRow::Kind::kDuplicate) {
            for (const std::size_t later : plan.details.at(row.detail).laterEntries) {
                Require(later > row.entry && later < lines);
                ++rowsOfEntry[later];
            }
        }
        if (row.kind == ListRow::Kind::kListed && row.file != ListRow::kNone) {
            Require(foldCase && filesRead.insert(row.file).second);
        }
        if (row.kind != ListRow::Kind::kNotHeld) {
            const std::string_view path = ListRowPath(row, entries, plan);
            Require(!path.empty() && rowPaths.insert(std::string(path)).second);
        }
    }
    for (const int rows : rowsOfEntry) Require(rows == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sumbrook;  // NOLINT
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const ListEncoding encoding = ListEncodingOf(text);
    std::string decoded;
    if (encoding == ListEncoding::kUtf16Le || encoding == ListEncoding::kUtf16Be) {
        Utf16Decoder decoder(encoding == ListEncoding::kUtf16Be);
        const bool added = decoder.Add(text.substr(2), decoded);
        if (!added || !decoder.Finish()) return 0;
        text = decoded;
    }
    const SfvReadResult result = ParseSfv(text);
    if (!result.ok) {
        Require(result.line >= 1 && !result.error.empty());
        return 0;
    }
    std::string written;
    for (const std::string& line : SfvHeaderLines("fuzz", "0", {2026, 1, 2, 3, 4, 5})) {
        written += line + std::string(kSfvLineEnd);
    }
    // What rhash -c would misread (a name that starts with '#' or a blank)
    // is read but never written.
    std::vector<SfvEntry> kept;
    for (const SfvEntry& entry : result.entries) {
        Require(!entry.name.empty() && entry.line >= 1);
        const bool misread =
            entry.name.front() == '#' || entry.name.front() == ' ' || entry.name.front() == '\t';
        Require(SfvNameFault(entry.name).empty() != misread);
        if (!misread) {
            kept.push_back(entry);
            written += SfvEntryLine(entry.name, entry.crc) + std::string(kSfvLineEnd);
        }
        for (const PathSystem system : {PathSystem::kPosix, PathSystem::kWindows}) {
            const ListedPath path = ResolveListedPath(entry.name, system);
            Require(path.ok ? !path.components.empty() : !path.error.empty());
            for (const std::string_view component : path.components) {
                Require(!component.empty() && component != "." && component != "..");
            }
        }
    }
    RequireSoundPlan(result.entries, false);
    RequireSoundPlan(result.entries, true);
    const SfvReadResult again = ParseSfv(written);
    Require(again.ok && again.entries.size() == kept.size());
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        Require(again.entries[i].name == kept[i].name);
        Require(again.entries[i].crc == kept[i].crc);
    }
    return 0;
}
