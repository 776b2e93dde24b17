// A file whose name is given in UTF-16, so that it can hold characters the
// ANSI code page cannot represent; deleted by that name when the object goes
// (the ANSI clean-up of TempFolder cannot name it).
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace sumbrook::test {

class WideNamedFile {
  public:
    WideNamedFile(const std::string& folder, const std::wstring& name, const std::string& content)
        : path_(std::wstring(folder.begin(), folder.end()) + L"\\" + name) {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a wide name");
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~WideNamedFile() { DeleteFileW(path_.c_str()); }
    WideNamedFile(const WideNamedFile&) = delete;
    WideNamedFile& operator=(const WideNamedFile&) = delete;

  private:
    std::wstring path_;
};

}  // namespace sumbrook::test
