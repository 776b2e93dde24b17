#include "verifier/TextFileWrite.h"

#include <windows.h>

#include <algorithm>

#include "platform/SystemErrorText.h"
#include "platform/WidePath.h"
#include "platform/WinHandles.h"

namespace sumbrook {

std::string WriteWholeTextFile(const std::string& path, const std::string& bytes) {
    const std::wstring target = WidePath(path);
    const std::wstring scratch = target + L".sumbrook-new";
    {
        ScopedFileHandle file(CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return "cannot be written: " + SystemErrorText(GetLastError());
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD part =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
            DWORD written = 0;
            if (!WriteFile(file.Get(), bytes.data() + done, part, &written, nullptr) ||
                written != part) {
                const DWORD error = GetLastError();
                file.Close();
                DeleteFileW(scratch.c_str());
                return "cannot be written: " + SystemErrorText(error);
            }
            done += part;
        }
        if (!FlushFileBuffers(file.Get()) || !file.Close()) {
            const DWORD error = GetLastError();
            DeleteFileW(scratch.c_str());
            return "cannot be written: " + SystemErrorText(error);
        }
    }
    if (!MoveFileExW(scratch.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(scratch.c_str());
        return "cannot be replaced: " + SystemErrorText(error);
    }
    return std::string();
}

}  // namespace sumbrook
