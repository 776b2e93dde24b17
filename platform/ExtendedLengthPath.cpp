#include "platform/ExtendedLengthPath.h"

namespace sumbrook {

std::wstring ExtendedLengthPath(std::wstring fullPath) {
    if (fullPath.size() < kExtendedLengthFrom) return fullPath;
    const bool drive = fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\' &&
                       ((fullPath[0] >= L'A' && fullPath[0] <= L'Z') ||
                        (fullPath[0] >= L'a' && fullPath[0] <= L'z'));
    if (drive) return L"\\\\?\\" + fullPath;
    const bool unc = fullPath.size() > 2 && fullPath[0] == L'\\' && fullPath[1] == L'\\' &&
                     fullPath[2] != L'?' && fullPath[2] != L'.';
    if (unc) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return fullPath;
}

}  // namespace sumbrook
