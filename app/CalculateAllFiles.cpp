#include "app/CalculateAllFiles.h"

#include <shellapi.h>

#include <string_view>
#include <utility>
#include <vector>

#include "app/ResultTitle.h"
#include "files/FileEntryCrc32.h"
#include "lists/ProtocolFormat.h"
#include "lists/ProtocolWriter.h"
#include "platform/DirectorySearch.h"
#include "platform/ErrorModeGuard.h"
#include "platform/LocalClock.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

constexpr char kShellFailedTitle[] = " Calculation results";

// The protocol file held open for writing, admitting no other opener, and
// cut to length zero when it already existed.
class ProtocolFile {
  public:
    explicit ProtocolFile(const std::string& path) {
        ErrorModeGuard guard(FsRedirection::kOff);
        file_.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.IsValid() && !SetEndOfFile(file_.Get())) file_.Close();
    }

    bool IsOpen() const { return file_.IsValid(); }

    // True when every byte was written.
    bool Write(std::string_view bytes) {
        ErrorModeGuard guard(FsRedirection::kOff);
        DWORD written = 0;
        return WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
               written == bytes.size();
    }

    // True when the file was open and is now closed.
    bool Close() {
        if (!file_.IsValid()) return false;
        ErrorModeGuard guard(FsRedirection::kOff);
        return file_.Close();
    }

  private:
    ScopedFileHandle file_;
};

// Something that a search can find, not hidden, not system, is there.
bool DirectoryAccepted(const std::string& directoryText) {
    if (directoryText.empty()) return false;
    DirectorySearch check;
    return !check.Start(directoryText, true).empty();
}

// Writes the whole protocol: `name` and `crcText` are the enumeration's
// first entry and its checksum, the rest comes from `files`. False when the
// protocol could not be opened, written in full or closed.
bool WriteProtocol(const std::string& protocolPath, const std::string& directoryText,
                   DirectorySearch& files, std::string name, std::string crcText,
                   std::vector<unsigned char>& buffer) {
    ProtocolFile file(protocolPath);
    if (!file.IsOpen()) return false;
    ProtocolWriter writer([&file](std::string_view bytes) { return file.Write(bytes); });
    writer.WriteHead(LocalNow(), directoryText);
    for (;;) {
        writer.AddFile(name, crcText);
        if (!writer.Ok()) break;
        name = files.Continue();
        if (name.empty()) break;
        crcText = FileEntryCrc32(directoryText, name, files.AlternateName(), buffer);
    }
    writer.WriteTail();
    const bool closed = file.Close();
    return writer.Ok() && closed;
}

// Asks the shell to open the protocol, in the temporary directory as working
// directory; true when it says it did (33 or more). The protocol is named by
// its path: a bare name may be looked up in the process's current directory
// first (Wine does), where a stale protocol of another run could lie.
bool OpenWithShell(HWND dialog, const std::string& protocolPath, const std::string& tempDirectory) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(
        dialog, "open", protocolPath.c_str(), nullptr, tempDirectory.c_str(), SW_SHOWNORMAL));
    return result >= 33;
}

}  // namespace

bool CalculateAllFiles(HWND dialog, const std::string& directoryText,
                       const std::string& tempDirectory) {
    if (!DirectoryAccepted(directoryText)) {
        ShowMessage("Error:  Wrong directory selected !!  ", kResultTitle, MessageIcon::kError);
        return false;
    }

    DirectorySearch files;
    const std::string first = files.Start(directoryText + "\\*.*", false);
    if (first.empty()) {
        ShowMessage("None file in directory:  " + directoryText + "  ", kResultTitle,
                    MessageIcon::kWarning);
        return true;
    }
    // The first checksum is taken before the protocol is opened, so that a
    // protocol met first in its own directory is read as the last run left it.
    std::vector<unsigned char> buffer;
    std::string firstCrc = FileEntryCrc32(directoryText, first, files.AlternateName(), buffer);

    const std::string protocolPath = tempDirectory + kProtocolFileName;
    const bool written =
        WriteProtocol(protocolPath, directoryText, files, first, std::move(firstCrc), buffer);
    files.Close();
    if (!written) {
        ShowMessage(
            JoinLines({"Error:  Protocol file cannot be written !!  ", "", protocolPath + "  "}),
            kResultTitle, MessageIcon::kError);
        return false;
    }
    if (!OpenWithShell(dialog, protocolPath, tempDirectory)) {
        ShowMessage(
            JoinLines({"I am not able  to open  Notepad text Editor.  ",
                       "Calculation protocol  is stored  in file:  ", "", protocolPath + "  "}),
            kShellFailedTitle, MessageIcon::kInformation);
    }
    return false;
}

}  // namespace sumbrook
