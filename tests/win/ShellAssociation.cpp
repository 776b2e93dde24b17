#include "ShellAssociation.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

#include "TempFolder.h"

namespace sumbrook::test {

namespace {

constexpr char kProgId[] = "Sumbrook.TestTxtFile";

std::string RecorderPath() {
    char module[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path = module;
    return path.substr(0, path.rfind('\\') + 1) + "ShellRecorder.exe";
}

// Sets the default value of HKCR\key; false when the key cannot be created.
bool WriteDefaultValue(const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size()) + 1);
    RegCloseKey(handle);
    return true;
}

void SetDefaultValue(const std::string& key, const std::string& value) {
    if (!WriteDefaultValue(key, value)) throw std::runtime_error("cannot create HKCR\\" + key);
}

}  // namespace

TxtOpenAssociation TxtOpenAssociation::Recorder(const std::string& recordPath) {
    return TxtOpenAssociation("\"" + RecorderPath() + "\" \"" + recordPath + "\" \"%1\"");
}

TxtOpenAssociation TxtOpenAssociation::None() {
    return TxtOpenAssociation(std::string());
}

TxtOpenAssociation::TxtOpenAssociation(const std::string& command) {
    HKEY txt = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &txt) == ERROR_SUCCESS) {
        hadTxtKey_ = true;
        char value[512] = {};
        DWORD size = sizeof value - 1;
        DWORD type = 0;
        if (RegQueryValueExA(txt, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            previousDefault_ = value;
            // Left behind by a test program that did not get to clean up.
            hadDefault_ = previousDefault_ != kProgId;
        }
        RegCloseKey(txt);
    }
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
    SetDefaultValue(kProgId, "Sumbrook test text file");
    if (!command.empty()) SetDefaultValue(std::string(kProgId) + "\\shell\\open\\command", command);
    SetDefaultValue(".txt", kProgId);
}

TxtOpenAssociation::TxtOpenAssociation(TxtOpenAssociation&& other) noexcept
    : active_(std::exchange(other.active_, false)),
      hadTxtKey_(other.hadTxtKey_),
      hadDefault_(other.hadDefault_),
      previousDefault_(std::move(other.previousDefault_)) {}

TxtOpenAssociation::~TxtOpenAssociation() {
    if (!active_) return;
    if (hadDefault_) {
        WriteDefaultValue(".txt", previousDefault_);  // nothing more to do if it fails
    } else if (hadTxtKey_) {
        HKEY txt = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_ALL_ACCESS, &txt) == ERROR_SUCCESS) {
            RegDeleteValueA(txt, nullptr);
            RegCloseKey(txt);
        }
    } else {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".txt");
    }
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
}

namespace {

// The platform lets go of a finished process's working directory a little
// after the process has ended; until then the folder cannot be removed.
void WaitUntilFolderIsFree(const std::string& folder, unsigned timeoutMs) {
    const std::string moved = folder + ".free";
    const DWORD start = GetTickCount();
    while (!MoveFileA(folder.c_str(), moved.c_str())) {
        if (GetLastError() != ERROR_SHARING_VIOLATION && GetLastError() != ERROR_ACCESS_DENIED) {
            return;
        }
        if (GetTickCount() - start > timeoutMs) return;
        Sleep(50);
    }
    MoveFileA(moved.c_str(), folder.c_str());
}

}  // namespace

ShellRecord WaitForShellRecord(const std::string& recordPath, unsigned timeoutMs) {
    ShellRecord record;
    const DWORD start = GetTickCount();
    while (!FileExists(recordPath)) {
        if (GetTickCount() - start > timeoutMs) return record;
        Sleep(50);
    }
    // Under load, the renamed record can refuse to open for a moment after it
    // appears: try again until the time is up.
    std::string text;
    for (;;) {
        try {
            text = ReadWholeFile(recordPath);
            break;
        } catch (const std::runtime_error&) {
            if (GetTickCount() - start > timeoutMs) throw;
            Sleep(50);
        }
    }
    record.present = true;
    std::size_t at = 0;
    auto nextLine = [&](const std::string& key) {
        const std::size_t end = text.find('\n', at);
        std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        return line.rfind(key, 0) == 0 ? line.substr(key.size()) : std::string();
    };
    const std::string pid = nextLine("pid=");
    HANDLE recorder = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul("0" + pid)));
    if (recorder != nullptr) {
        WaitForSingleObject(recorder, timeoutMs);
        CloseHandle(recorder);
    }
    record.directory = nextLine("directory=");
    WaitUntilFolderIsFree(record.directory, timeoutMs);
    record.file = nextLine("file=");
    record.readable = nextLine("readable=") == "1";
    nextLine("content=");
    record.content.assign(text, at, std::string::npos);
    return record;
}

}  // namespace sumbrook::test
