#include "platform/DirectorySearch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WideNamedFile.h"

namespace sumbrook {
namespace {

using test::TempFolder;

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

std::vector<std::string> AllNames(DirectorySearch& search, const std::string& pattern,
                                  bool directoriesAccepted) {
    std::vector<std::string> names;
    for (std::string name = search.Start(pattern, directoriesAccepted); !name.empty();
         name = search.Continue()) {
        names.push_back(name);
    }
    return names;
}

// The platform's own listing, in its order, filtered by hand.
std::vector<std::string> PlatformNames(const std::string& pattern, bool directoriesAccepted) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !directoriesAccepted) continue;
        names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// A folder with one entry of each kind the search judges.
struct MixedFolder {
    TempFolder folder;
    MixedFolder() {
        folder.Write("plain.txt", "abc");
        folder.Write("Stored.TXT", "123456789");
        SetAttributes(folder.Write("readonly.txt", "r"), FILE_ATTRIBUTE_READONLY);
        SetAttributes(folder.Write("archived.txt", "a"), FILE_ATTRIBUTE_ARCHIVE);
        SetAttributes(folder.Write("hidden.txt", "h"), FILE_ATTRIBUTE_HIDDEN);
        SetAttributes(folder.Write("system.txt", "s"), FILE_ATTRIBUTE_SYSTEM);
        SetAttributes(folder.Write("both.txt", "b"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        SetAttributes(folder.Write("hiddenro.txt", "x"),
                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        folder.MakeFolder("sub");
        SetAttributes(folder.MakeFolder("hiddensub"), FILE_ATTRIBUTE_HIDDEN);
        SetAttributes(folder.MakeFolder("systemsub"), FILE_ATTRIBUTE_SYSTEM);
    }
};

TEST(DirectorySearch, ListsPlainFilesInPlatformOrderSkippingHiddenSystemAndDirectories) {
    MixedFolder mixed;
    DirectorySearch search;
    const std::string pattern = mixed.folder / "*.*";
    const std::vector<std::string> names = AllNames(search, pattern, false);
    EXPECT_EQ(names, PlatformNames(pattern, false));
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"Stored.TXT", "archived.txt", "plain.txt",
                                                "readonly.txt"}));
}

TEST(DirectorySearch, WithDirectoriesAcceptedListsVisibleSubdirectoriesToo) {
    MixedFolder mixed;
    DirectorySearch search;
    const std::string pattern = mixed.folder / "*";
    std::vector<std::string> names = AllNames(search, pattern, true);
    EXPECT_EQ(names, PlatformNames(pattern, true));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Stored.TXT", "archived.txt", "plain.txt",
                                               "readonly.txt", "sub"}));
}

TEST(DirectorySearch, NamedFileYieldsItsStoredName) {
    MixedFolder mixed;
    DirectorySearch search;
    EXPECT_EQ(search.Start(mixed.folder / "plain.txt", false), "plain.txt");
    EXPECT_EQ(search.Start(mixed.folder / "stored.txt", false), "Stored.TXT");
    EXPECT_EQ(search.Start(mixed.folder / "READONLY.TXT", true), "readonly.txt");
    EXPECT_EQ(search.Continue(), "");
}

TEST(DirectorySearch, NamedDirectoryYieldsItsNameOnlyWhenDirectoriesAreAccepted) {
    MixedFolder mixed;
    DirectorySearch search;
    EXPECT_EQ(search.Start(mixed.folder / "SUB", true), "sub");
    EXPECT_EQ(search.Start(mixed.folder / "sub", false), "");
    const std::string parent = mixed.folder.Path();
    const std::string own = parent.substr(parent.rfind('\\') + 1);
    EXPECT_EQ(search.Start(parent, true), own);
    EXPECT_EQ(search.Start(parent, false), "");
}

TEST(DirectorySearch, HiddenAndSystemEntriesAreNeverYielded) {
    MixedFolder mixed;
    DirectorySearch search;
    for (const char* name : {"hidden.txt", "system.txt", "both.txt", "hiddenro.txt", "hiddensub",
                             "systemsub", "hidden*", "system*"}) {
        EXPECT_EQ(search.Start(mixed.folder / name, true), "") << name;
        EXPECT_EQ(search.Start(mixed.folder / name, false), "") << name;
    }
}

TEST(DirectorySearch, MissingEntriesAndPathsYieldNothing) {
    MixedFolder mixed;
    DirectorySearch search;
    EXPECT_EQ(search.Start(mixed.folder / "missing.txt", false), "");
    EXPECT_EQ(search.Start(mixed.folder / "missing\\*.*", true), "");
    EXPECT_EQ(search.Start(mixed.folder / "plain.txt\\*.*", true), "");  // a file is no folder
    EXPECT_EQ(search.Start("Q:\\*.*", true), "");  // a drive that is not there
    EXPECT_EQ(search.Continue(), "");
}

TEST(DirectorySearch, PatternEndingInBackslashListsTheFolder) {
    MixedFolder mixed;
    DirectorySearch search;
    EXPECT_EQ(AllNames(search, mixed.folder.Path() + "\\", true).size(), 5U);
    // Doubled backslash, as a directory text ending in one gives.
    EXPECT_EQ(AllNames(search, mixed.folder.Path() + "\\\\*.*", false).size(), 4U);
}

TEST(DirectorySearch, FolderHoldingOnlyHiddenAndSystemEntriesYieldsNothing) {
    TempFolder folder;
    SetAttributes(folder.Write("h.txt", "h"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(folder.MakeFolder("s"), FILE_ATTRIBUTE_SYSTEM);
    DirectorySearch search;
    EXPECT_EQ(search.Start(folder.Path() + "\\", true), "");
    EXPECT_EQ(search.Start(folder.Path(), true),
              folder.Path().substr(folder.Path().rfind('\\') + 1));
}

TEST(DirectorySearch, WildcardsYieldTheFirstAcceptedMatch) {
    MixedFolder mixed;
    DirectorySearch search;
    EXPECT_EQ(search.Start(mixed.folder / "pl?in.*", false), "plain.txt");
    EXPECT_EQ(search.Start(mixed.folder / "s*", true), PlatformNames(mixed.folder / "s*", true)[0]);
    EXPECT_EQ(search.Start(mixed.folder / "*.none", true), "");
}

TEST(DirectorySearch, PatternEndingInColonSearchesTheDrivesCurrentDirectory) {
    MixedFolder mixed;
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(mixed.folder.Path().c_str()));
    DirectorySearch search;
    const std::string drive = mixed.folder.Path().substr(0, 2);  // "Z:"
    std::vector<std::string> names = AllNames(search, drive, false);
    search.Close();
    SetCurrentDirectoryA(previous);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Stored.TXT", "archived.txt", "plain.txt",
                                               "readonly.txt"}));
}

TEST(DirectorySearch, EmptyPatternYieldsNothingWhateverRanBefore) {
    MixedFolder mixed;
    DirectorySearch search;
    EXPECT_NE(search.Start(mixed.folder / "*", true), "");
    EXPECT_EQ(search.Start("", true), "");
    EXPECT_EQ(search.Continue(), "");  // the earlier search is closed too
}

TEST(DirectorySearch, OnlyTheFirst256CharactersOfThePatternTakePart) {
    TempFolder folder;
    const std::string prefix = folder.Path() + "\\";
    // A file whose full path is exactly 256 characters.
    const std::string name(256 - prefix.size(), 'n');
    folder.Write(name, "x");
    const std::string path = prefix + name;
    ASSERT_EQ(path.size(), 256U);
    DirectorySearch search;
    EXPECT_EQ(search.Start(path + "ignored.txt", false), name);
    // Cut to a path that ends in a backslash: the folder is listed.
    std::string dots;
    while (prefix.size() + dots.size() + 2 <= 256) dots += ".\\";
    const std::string listing =
        prefix + dots + std::string(256 - prefix.size() - dots.size(), '\\');
    ASSERT_EQ(listing.size(), 256U);
    ASSERT_EQ(listing.back(), '\\');
    EXPECT_EQ(search.Start(listing + "no-such-file.txt", false), name);
    // One character short of the name is no longer the file.
    EXPECT_EQ(search.Start(path.substr(0, 255), false), "");
}

TEST(DirectorySearch, ShortAliasYieldsTheLongNameAndAlternateNameReportsTheAlias) {
    TempFolder folder;
    folder.Write("A rather long file name.text", "x");
    DirectorySearch search;
    EXPECT_EQ(search.Start(folder / "*.text", false), "A rather long file name.text");
    const std::string alias = search.AlternateName();
    ASSERT_FALSE(alias.empty());
    EXPECT_LE(alias.size(), 12U);
    EXPECT_EQ(search.Start(folder / alias, false), "A rather long file name.text");
    EXPECT_EQ(search.Continue(), "");
    EXPECT_EQ(search.AlternateName(), "");
}

TEST(DirectorySearch, UnrepresentableLongNameComesWithAShortNameThatOpensIt) {
    TempFolder folder;
    const test::WideNamedFile file(folder.Path(), L"\x4E2D\x6587 notes.txt", "");
    DirectorySearch search;
    const std::string name = search.Start(folder / "*", false);
    ASSERT_FALSE(name.empty());
    EXPECT_NE(name.find('?'), std::string::npos) << name;
    ASSERT_FALSE(search.AlternateName().empty());
    EXPECT_TRUE(test::FileExists(folder / search.AlternateName()));
    EXPECT_FALSE(test::FileExists(folder / name));
}

TEST(DirectorySearch, SearchIsClosedWhenExhaustedClosedOrGone) {
    TempFolder folder;
    const std::string inner = folder.MakeFolder("inner");
    test::WriteWholeFile(inner + "\\a.txt", "a");
    const std::string renamed = folder / "renamed";
    auto canRename = [&] {
        if (!MoveFileA(inner.c_str(), renamed.c_str())) return false;
        MoveFileA(renamed.c_str(), inner.c_str());
        return true;
    };
    {
        DirectorySearch search;
        EXPECT_EQ(search.Start(inner + "\\*.*", false), "a.txt");
        EXPECT_FALSE(canRename());  // the open search holds the folder
    }
    EXPECT_TRUE(canRename());
    DirectorySearch search;
    EXPECT_EQ(search.Start(inner + "\\*.*", false), "a.txt");
    search.Close();
    EXPECT_TRUE(canRename());
    EXPECT_EQ(search.Continue(), "");
    EXPECT_EQ(search.Start(inner + "\\*.*", false), "a.txt");
    EXPECT_EQ(search.Continue(), "");
    EXPECT_TRUE(canRename());
}

TEST(DirectorySearch, MovedSearchGoesOnWhereTheOldOneStood) {
    TempFolder folder;
    folder.Write("a.txt", "a");
    folder.Write("b.txt", "b");
    const std::string pattern = folder / "*.txt";
    const std::vector<std::string> expected = PlatformNames(pattern, false);
    DirectorySearch first;
    EXPECT_EQ(first.Start(pattern, false), expected[0]);
    DirectorySearch second(std::move(first));
    EXPECT_EQ(second.Continue(), expected[1]);
    DirectorySearch third;
    third = std::move(second);
    EXPECT_EQ(third.Continue(), "");
}

TEST(DirectorySearch, MissingDriveGivesNothingAndKeepsTheCallersErrorMode) {
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    DirectorySearch search;
    EXPECT_EQ(search.Start("Q:\\", true), "");
    EXPECT_EQ(search.Continue(), "");
    EXPECT_EQ(SetErrorMode(0), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
}

}  // namespace
}  // namespace sumbrook
