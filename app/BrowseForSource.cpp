#include "app/BrowseForSource.h"

#include "app/PathSplit.h"
#include "app/RunOpenFileDialog.h"
#include "platform/DirectorySearch.h"

namespace sumbrook {

const char* BrowseTitle(bool oneFileMode) {
    return oneFileMode ? kBrowseTitleOneFile : kBrowseTitleAllFiles;
}

std::optional<ChosenSource> BrowseForSource(HWND dialog, const char* title,
                                            std::string directoryText, std::string fileText) {
    directoryText = WithoutTrailingBackslash(directoryText);
    {
        DirectorySearch search;
        if (search.Start(directoryText, true).empty()) directoryText = CurrentDirectory();
    }

    const BOOL accepted = RunOpenFileDialog(dialog, title, fileText, directoryText, kBrowseFilter,
                                            std::string(), kBrowseFlags);
    UpdateWindow(dialog);
    if (!accepted) return std::nullopt;

    SplitPath split = SplitChosenPath(fileText);
    return ChosenSource{std::move(split.directory), std::move(split.file)};
}

}  // namespace sumbrook
