#include <windows.h>

#include "platform/ReplacingFileWriter.h"
#include "platform/SystemErrorText.h"
#include "platform/WidePath.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

constexpr std::size_t kNameStartUnits = 32;  // of the name, in the temporary file's

// The attributes a replacing file takes over from the one it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// "\\.\NUL", "\\.\COM1", "\\.\pipe\x": what GetFullPathNameW makes of a
// device name, and the names of devices and pipes themselves.
bool IsDevicePath(const std::wstring& path) {
    return path.rfind(L"\\\\.\\", 0) == 0;
}

// The file that `path` names once every link on the way is followed, as
// Windows names it ("\\?\C:\..."); `path` itself when the name cannot be had.
std::wstring FinalPathOf(const std::wstring& path, const ScopedFileHandle& file) {
    const DWORD needed = GetFinalPathNameByHandleW(file.Get(), nullptr, 0, FILE_NAME_NORMALIZED);
    if (needed == 0) return path;
    std::wstring resolved(needed, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file.Get(), resolved.data(), needed, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= needed) return path;
    resolved.resize(length);
    return resolved;
}

// Where the temporary file for `target` starts: its folder, a dot and the
// start of its name (never half of a surrogate pair), and a dot.
std::wstring TemporaryStart(const std::wstring& target) {
    const std::size_t separator = target.find_last_of(L"\\/");
    const std::size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    std::size_t length = target.size() - nameStart;
    if (length > kNameStartUnits) {
        length = kNameStartUnits;
        const wchar_t last = target[nameStart + length - 1];
        if (last >= 0xD800 && last <= 0xDBFF) --length;
    }
    return target.substr(0, nameStart) + L"." + target.substr(nameStart, length) + L".";
}

// Six letters and digits that differ from one call to the next and between
// processes.
std::wstring UniqueEnding(unsigned attempt) {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    unsigned long long value = static_cast<unsigned long long>(counter.QuadPart) * 2654435761ULL ^
                               (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^
                               (static_cast<unsigned long long>(attempt) * 40503ULL);
    constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    std::wstring ending;
    for (int digit = 0; digit < 6; ++digit) {
        ending += kDigits[value % 36];
        value /= 36;
    }
    return ending;
}

}  // namespace

struct ReplacingFileWriter::State {
    ScopedFileHandle file;
    std::wstring target;     // the file replaced at Commit
    std::wstring temporary;  // where the bytes go until then; empty: written directly
    std::string error;
    bool replaces = false;  // a file was at `target`
    bool committed = false;

    void Fail(DWORD code) { Fail(SystemErrorText(code)); }
    void Fail(const std::string& text) {
        if (error.empty()) error = text;
    }
    void StartTemporary(DWORD attributes);
};

void ReplacingFileWriter::State::StartTemporary(DWORD attributes) {
    const std::wstring start = TemporaryStart(target);
    for (unsigned attempt = 0; attempt < 100 && !file.IsValid(); ++attempt) {
        const std::wstring candidate = start + UniqueEnding(attempt) + L".tmp";
        file.Reset(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                               nullptr));
        if (file.IsValid()) {
            temporary = candidate;
            continue;
        }
        const DWORD code = GetLastError();
        if (code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT) {
            Fail(
                "the folder does not allow the temporary file beside it that the new content "
                "goes to first (" +
                SystemErrorText(code) + ")");
            return;
        }
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            Fail(code);
            return;
        }
    }
    if (!file.IsValid()) Fail(ERROR_FILE_EXISTS);
}

ReplacingFileWriter::ReplacingFileWriter(const std::string& path) : state_(new State) {
    State& state = *state_;
    const std::wstring wide = WidePath(path);
    state.target = wide;
    bool direct = IsDevicePath(wide);
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (!direct) {
        const ScopedFileHandle existing(
            CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!existing.IsValid()) {
            // Nothing there yet is a new file; anything else that keeps the
            // path from opening (a loop of links, no right to look) is told.
            const DWORD code = GetLastError();
            if (code != ERROR_FILE_NOT_FOUND) {
                state.Fail(code);
                return;
            }
        } else if (GetFileType(existing.Get()) != FILE_TYPE_DISK) {
            direct = true;
        } else if (!GetFileInformationByHandle(existing.Get(), &info)) {
            state.Fail(GetLastError());
            return;
        } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            state.Fail(ERROR_DIRECTORY);
            return;
        } else {
            state.target = FinalPathOf(wide, existing);
            state.replaces = true;
            if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
                state.Fail("the file is read-only");
                return;
            }
            if ((info.dwFileAttributes & kKeptAttributes) != 0) {
                attributes = info.dwFileAttributes & kKeptAttributes;
            }
        }
    }
    if (direct) {
        state.file.Reset(CreateFileW(wide.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        if (!state.file.IsValid()) state.Fail(GetLastError());
        return;
    }
    state.StartTemporary(attributes);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    if (state_->committed) return;
    state_->file.Close();
    if (!state_->temporary.empty()) DeleteFileW(state_->temporary.c_str());
}

bool ReplacingFileWriter::Write(std::string_view bytes) {
    State& state = *state_;
    while (state.error.empty() && !bytes.empty()) {
        const DWORD piece =
            bytes.size() > (1U << 20) ? (1U << 20) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(state.file.Get(), bytes.data(), piece, &written, nullptr)) {
            state.Fail(GetLastError());
        } else if (written == 0) {
            state.Fail(ERROR_WRITE_FAULT);
        } else {
            bytes.remove_prefix(written);
        }
    }
    return state.error.empty();
}

bool ReplacingFileWriter::Commit() {
    State& state = *state_;
    if (!state.error.empty()) return false;
    if (!state.temporary.empty() && !FlushFileBuffers(state.file.Get())) {
        state.Fail(GetLastError());
        return false;
    }
    if (!state.file.Close()) {
        state.Fail(GetLastError());
        return false;
    }
    if (!state.temporary.empty() &&
        !MoveFileExW(state.temporary.c_str(), state.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        state.Fail("the new content cannot take the file's place (" +
                   SystemErrorText(GetLastError()) + ")");
        return false;
    }
    state.committed = true;
    return true;
}

const std::string& ReplacingFileWriter::Error() const {
    return state_->error;
}

bool ReplacingFileWriter::ReplacesAFile() const {
    return state_->replaces;
}

}  // namespace sumbrook
