#include "select/BrowseForSource.h"

#include "app/SelectionMode.h"
#include "platform/DirectorySearch.h"
#include "select/PathSplit.h"
#include "select/RunOpenFileDialog.h"

namespace sumbrook {

int BrowseForSource(HWND dialog, std::string& directoryText, std::string& fileText) {
    directoryText = WithoutTrailingBackslash(directoryText);
    {
        DirectorySearch search;
        if (search.Start(directoryText, true).empty()) directoryText = CurrentDirectory();
    }

    const char* title = GetSelectionMode(dialog) == SelectionMode::kOneFile ? kBrowseTitleOneFile
                                                                            : kBrowseTitleAllFiles;
    const BOOL accepted = RunOpenFileDialog(dialog, title, fileText, directoryText, kBrowseFilter,
                                            std::string(), kBrowseFlags);
    UpdateWindow(dialog);
    if (!accepted) return 0;

    SplitPath split = SplitChosenPath(fileText);
    directoryText = std::move(split.directory);
    fileText = std::move(split.file);
    return 1;
}

}  // namespace sumbrook
