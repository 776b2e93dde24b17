// Every row of the table of kinds reaches every place that derives from it:
// a digest written and read back in each list format that holds the kind,
// under each of its list names; its line in --help; its extensions in the
// Explorer verbs' and the open dialog's lists; New list's types and the
// one-file window as its row says; the length choice among the candidates.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/AlgorithmHelp.h"
#include "hash/DigestKindTable.h"
#include "hash/Hasher.h"
#include "lists/DigestKindChoice.h"
#include "lists/ListFormat.h"
#include "lists/SumLine.h"
#include "verifier/ListFileTypes.h"
#include "verifier/NewListKinds.h"
#include "verify/FileDigestsRun.h"

namespace sumbrook {
namespace {

template <typename List, typename Item>
bool Holds(const List& list, const Item& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The names a list of the kind may go by, and "" (no name that tells).
std::vector<std::string> ListNamesOf(const DigestKindRow& row) {
    std::vector<std::string> names = {""};
    for (const std::string_view extension : row.listExtensions) {
        if (!extension.empty()) names.push_back("dir/files." + std::string(extension));
    }
    for (const std::string_view sums : row.sumsNames) {
        if (!sums.empty()) names.push_back("ubuntu-" + std::string(sums));
    }
    return names;
}

TEST(DigestKindTable, EveryRowReachesEveryPlaceDerivedFromIt) {
    const std::string help = AlgorithmHelpText() + KindChoiceHelpText();
    const std::vector<std::string> verbs = ListFileExtensions();
    const std::string patterns = ListFilePatterns() + ";";
    for (const DigestKindRow& row : kDigestKindRows) {
        SCOPED_TRACE(std::string(row.name));
        const DigestKind kind = row.kind;
        EXPECT_EQ(DigestKindFromName(row.name), kind);
        EXPECT_EQ(DigestKindFromName(DigestKindOption(kind)), kind);

        std::unique_ptr<Hasher> hasher = MakeHasher(kind);
        hasher->Update("abc", 3);
        const Digest digest = hasher->Finish();
        ASSERT_EQ(digest.Kind(), kind);
        ASSERT_EQ(digest.Text().size(), 2 * row.size);

        // Written and read back in every format that holds it, under every
        // name its lists go by.
        for (const ListFormat format : {ListFormat::kSfv, ListFormat::kSum, ListFormat::kTag}) {
            const ListFormatDescriptor& descriptor = DescriptorOf(format);
            if (!descriptor.holds(kind)) continue;
            for (const std::string name : {"abc.txt", "a\\b c", "new\nline", "cr\rin"}) {
                if (!descriptor.nameFault(name).empty()) continue;
                if (format != ListFormat::kSfv && !SumNameFaultOf(name, kind).empty()) continue;
                SCOPED_TRACE(std::string(descriptor.name) + ": " + name);
                const std::string line = descriptor.entryLine(name, digest);
                ListLineRead read;
                descriptor.readLine(line, read);
                ASSERT_EQ(read.kind, ListLineRead::Kind::kEntry) << line << ": " << read.error;
                EXPECT_EQ(read.name, name);
                const std::optional<Digest> parsed = Digest::Parse(kind, read.digits);
                EXPECT_EQ(parsed, digest) << line;
                if (format == ListFormat::kTag || row.sumLineIsTagLine) {
                    EXPECT_EQ(read.tagged, kind) << line;
                }
                for (const std::string& listName : ListNamesOf(row)) {
                    const std::optional<DigestKind> named = DigestKindOfListName(listName);
                    if (!listName.empty()) {
                        EXPECT_EQ(named, kind) << listName;
                    }
                    const DigestKindChoice choice = ChooseDigestKind(
                        format == ListFormat::kSfv ? std::optional<DigestKind>(kind) : std::nullopt,
                        read.tagged, named, read.digits.size());
                    ASSERT_TRUE(choice.ok) << choice.error;
                    // By its length alone, one of the candidates, unsettled
                    // where there are several.
                    if (choice.kind != kind) {
                        EXPECT_FALSE(choice.settled) << listName;
                    }
                }
            }
        }

        // The length choice lists it among the candidates, by its rank.
        const std::vector<DigestKind> candidates = DigestKindsOfLength(2 * row.size);
        ASSERT_LT(row.lengthRank, candidates.size());
        EXPECT_EQ(candidates[row.lengthRank], kind);
        const DigestKindChoice byLength =
            ChooseDigestKind(std::nullopt, std::nullopt, std::nullopt, 2 * row.size);
        EXPECT_EQ(byLength.kind, candidates.front());
        EXPECT_EQ(byLength.settled, candidates.size() == 1);
        EXPECT_TRUE(Holds(DigestLengths(), 2 * row.size));

        // --help: its line, its list names and its length.
        EXPECT_TRUE(Contains(help, AlgorithmHelpLine(kind) + "\n"));
        EXPECT_TRUE(Contains(AlgorithmHelpLine(kind), DigestKindOption(kind)));
        EXPECT_TRUE(Contains(help, std::to_string(2 * row.size) + " " + DigestKindName(kind)) ||
                    row.lengthRank > 0);
        for (const std::string_view extension : row.listExtensions) {
            if (extension.empty()) continue;
            const std::string dotted = "." + std::string(extension);
            EXPECT_TRUE(Contains(help, dotted)) << dotted;
            EXPECT_TRUE(Holds(verbs, dotted)) << dotted;
            EXPECT_TRUE(Contains(patterns, "*" + dotted + ";")) << dotted;
        }
        for (const std::string_view sums : row.sumsNames) {
            if (!sums.empty()) {
                EXPECT_TRUE(Contains(help, std::string(sums)));
            }
        }

        // New list's types and the one-file window, as the row says.
        for (const auto& [form, formatOffered] :
             {std::pair{kNewListSfv, ListFormat::kSfv}, std::pair{kNewListSum, ListFormat::kSum},
              std::pair{kNewListTag, ListFormat::kTag}}) {
            const ListFormat format = formatOffered;
            const bool offered = std::any_of(
                kNewListKinds.begin(), kNewListKinds.end(), [&](const NewListKind& entry) {
                    return entry.digest == kind && entry.format == format &&
                           Contains(entry.Label(), std::string(row.name)) &&
                           DigestKindOfListName(std::string("x.") + entry.extension) ==
                               (format == ListFormat::kSfv ? std::nullopt
                                                           : std::optional<DigestKind>(kind));
                });
            EXPECT_EQ(offered, (row.newListForms & form) != 0) << static_cast<int>(format);
            if (offered) {
                EXPECT_TRUE(DescriptorOf(format).holds(kind));
            }
        }
        EXPECT_EQ(Holds(OneFileDigestKinds(), kind), row.oneFileWindow);
    }
    EXPECT_EQ(verbs.front(), std::string(".") + kSfvListExtension);
}

}  // namespace
}  // namespace sumbrook
