#include "crc/CalculateOneFile.h"

#include "crc/FileCrc32.h"
#include "crc/NameCompare.h"
#include "platform/DirectorySearch.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"

namespace sumbrook {

namespace {

constexpr char kResultTitle[] = " Calculation result";

// The path that opens the file the search found for `fullPath`, or "" when
// the typed texts do not name a plain file.
std::string CheckedPath(const std::string& directoryText, const std::string& fileText,
                        const std::string& fullPath) {
    DirectorySearch search;
    const std::string found = search.Start(fullPath, false);
    if (found.empty() || !NamesMatch(fileText, found)) return {};
    const std::string toOpen = NameToOpen(found, search.AlternateName());
    return toOpen == found ? fullPath : directoryText + "\\" + toOpen;
}

}  // namespace

void CalculateOneFile(const std::string& directoryText, const std::string& fileText) {
    const std::string fullPath = directoryText + "\\" + fileText;
    const std::string pathToOpen = CheckedPath(directoryText, fileText, fullPath);
    if (pathToOpen.empty()) {
        ShowMessage("Error:  Wrong file selected !!  ", kResultTitle, MessageIcon::kError);
        return;
    }
    const std::string crcText = FileCrc32(pathToOpen);
    ShowMessage(JoinLines({"File  " + fullPath + "  ", "", "CRC32 code = " + crcText + "  "}),
                kResultTitle, MessageIcon::kInformation);
}

}  // namespace sumbrook
