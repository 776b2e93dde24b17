#include "app/RunOpenFileDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "app/PathSplit.h"
#include "platform/ErrorModeGuard.h"

namespace sumbrook {

namespace {

// The request in its original form, without the fields added in later
// versions of the platform: 76 bytes in a 32-bit program (and 136 in the
// 64-bit build of the Windows tests).
constexpr DWORD kOpenFileNameSize = sizeof(void*) == 4 ? 76 : 136;
static_assert(sizeof(OPENFILENAMEA) >= kOpenFileNameSize);
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == kOpenFileNameSize);

}  // namespace

std::string CurrentDirectory() {
    char buffer[MAX_PATH] = {};
    DWORD length = 0;
    {
        ErrorModeGuard guard;
        length = GetCurrentDirectoryA(sizeof buffer, buffer);
    }
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

BOOL RunOpenFileDialog(HWND owner, const std::string& title, std::string& fileText,
                       const std::string& initialDirectory, const std::string& filterText,
                       const std::string& defaultExtension, DWORD flags) {
    const std::string filter = FilterList(filterText);
    const std::string directory = initialDirectory.empty() ? CurrentDirectory() : initialDirectory;

    std::vector<char> buffer(kOpenFileBufferSize, '\0');
    const std::size_t preset = std::min(fileText.size(), kOpenFileBufferSize - 1);
    std::copy_n(fileText.begin(), preset, buffer.begin());

    OPENFILENAMEA request = {};
    request.lStructSize = kOpenFileNameSize;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.lpstrInitialDir = directory.c_str();
    request.lpstrTitle = title.empty() ? nullptr : title.c_str();
    request.Flags = flags;
    request.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();

    const BOOL accepted = GetOpenFileNameA(&request);
    if (accepted) fileText.assign(buffer.data());
    return accepted;
}

}  // namespace sumbrook
