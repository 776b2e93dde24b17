#include <windows.h>

#include "platform/ReplacingFileWriter.h"
#include "platform/SystemErrorText.h"
#include "platform/WidePath.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

// "\\.\NUL", "\\.\COM1", "\\.\pipe\x": what GetFullPathNameW makes of a
// device name, and the names of devices and pipes themselves.
bool IsDevicePath(const std::wstring& path) {
    return path.rfind(L"\\\\.\\", 0) == 0;
}

// The file that `path` names once every link on the way is followed, as
// Windows names it ("\\?\C:\..."); `path` itself when nothing exists there
// yet or the name cannot be had.
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

}  // namespace

struct ReplacingFileWriter::State {
    ScopedFileHandle file;
    std::wstring target;     // the file replaced at Commit
    std::wstring temporary;  // where the bytes go until then; empty: written directly
    std::string error;
    bool committed = false;

    void Fail(DWORD code) {
        if (error.empty()) error = SystemErrorText(code);
    }
};

ReplacingFileWriter::ReplacingFileWriter(const std::string& path) : state_(new State) {
    State& state = *state_;
    const std::wstring wide = WidePath(path);
    bool direct = IsDevicePath(wide);
    state.target = wide;
    if (!direct) {
        const ScopedFileHandle existing(
            CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (existing.IsValid()) {
            BY_HANDLE_FILE_INFORMATION info{};
            if (GetFileType(existing.Get()) != FILE_TYPE_DISK) {
                direct = true;
            } else if (GetFileInformationByHandle(existing.Get(), &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                state.Fail(ERROR_DIRECTORY);
                return;
            } else {
                state.target = FinalPathOf(wide, existing);
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

    for (unsigned attempt = 0; attempt < 100 && !state.file.IsValid(); ++attempt) {
        const std::wstring candidate = state.target + L"." +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(GetTickCount() + attempt) + L".tmp";
        state.file.Reset(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (state.file.IsValid()) {
            state.temporary = candidate;
        } else {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                state.Fail(error);
                return;
            }
        }
    }
    if (!state.file.IsValid()) state.Fail(ERROR_FILE_EXISTS);
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
        state.Fail(GetLastError());
        return false;
    }
    state.committed = true;
    return true;
}

const std::string& ReplacingFileWriter::Error() const {
    return state_->error;
}

}  // namespace sumbrook
