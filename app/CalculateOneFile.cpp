#include "app/CalculateOneFile.h"

#include <vector>

#include "app/ResultTitle.h"
#include "files/EntryName.h"
#include "files/FileEntryCrc32.h"
#include "files/NameCompare.h"
#include "platform/DirectorySearch.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"

namespace sumbrook {

void CalculateOneFile(const std::string& directoryText, const std::string& fileText) {
    const std::string fullPath = directoryText + "\\" + fileText;
    std::string crcText;
    {
        DirectorySearch search;
        const std::string found = search.Start(fullPath, false);
        // Nothing found is a wrong file, for an empty file text too.
        if (found.empty() || !NamesMatch(fileText, found)) {
            search.Close();
            ShowMessage("Error:  Wrong file selected !!  ", kResultTitle, MessageIcon::kError);
            return;
        }
        // The typed path is read as typed; only a name that cannot be stored
        // (it matched a long name the ANSI code page cannot represent) is
        // read through the short name of the entry found.
        const std::string shortName = CanBeStoredName(fileText) ? "" : search.AlternateName();
        std::vector<unsigned char> buffer;
        crcText = FileEntryCrc32(directoryText, fileText, shortName, buffer);
    }
    ShowMessage(JoinLines({"File  " + fullPath + "  ", "", "CRC32 code = " + crcText + "  "}),
                kResultTitle, MessageIcon::kInformation);
}

}  // namespace sumbrook
