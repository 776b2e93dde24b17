// Fuzz target for the SFV reader (libFuzzer). Any input must be refused with
// a line number and a reason, or read; what is read, written back as the
// writer writes a list, must read again to the same names and checksums. An
// input with a UTF-16 byte-order mark is decoded first, as a list file is.
// The plan of a list that is read gives each line to exactly one row, and no
// two rows one path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "files/Utf8NameFold.h"
#include "lists/ListEncoding.h"
#include "lists/ListedPath.h"
#include "lists/SfvReader.h"
#include "lists/SfvWriter.h"
#include "verify/SfvCheck.h"

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
    const SfvPlan plan = PlanSfvVerification(entries, paths, foldCase);
    if (!plan.ok) {
        Require(plan.line >= 1 && !plan.error.empty());
        return;
    }
    std::vector<int> rowsOfEntry(lines, 0);
    std::set<std::string> rowPaths;
    for (const SfvRow& row : plan.rows) {
        Require(row.entry < lines);
        ++rowsOfEntry[row.entry];
        if (row.kind == SfvRow::Kind::kDuplicate) {
            for (const std::size_t later : plan.details.at(row.detail).laterEntries) {
                Require(later > row.entry && later < lines);
                ++rowsOfEntry[later];
            }
        }
        if (row.kind != SfvRow::Kind::kNotHeld) {
            const std::string_view path = SfvRowPath(row, entries, {});
            Require(!path.empty() && rowPaths.insert(NameKey(path, foldCase)).second);
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
    for (const SfvEntry& entry : result.entries) {
        Require(!entry.name.empty() && entry.line >= 1);
        Require(SfvNameFault(entry.name).empty());
        written += SfvEntryLine(entry.name, entry.crc) + std::string(kSfvLineEnd);
        for (const PathSystem system : {PathSystem::kPosix, PathSystem::kWindows}) {
            const ListedPath path = ResolveListedPath(entry.name, system);
            Require(path.ok ? !path.components.empty() : !path.error.empty());
            for (const std::string& component : path.components) {
                Require(!component.empty() && component != "." && component != "..");
            }
        }
    }
    RequireSoundPlan(result.entries, false);
    RequireSoundPlan(result.entries, true);
    const SfvReadResult again = ParseSfv(written);
    Require(again.ok && again.entries.size() == result.entries.size());
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        Require(again.entries[i].name == result.entries[i].name);
        Require(again.entries[i].crc == result.entries[i].crc);
    }
    return 0;
}
