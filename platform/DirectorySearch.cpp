#include "platform/DirectorySearch.h"

#include <cstring>
#include <utility>

#include "platform/ErrorModeGuard.h"

namespace sumbrook {

namespace {

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsAccepted(const WIN32_FIND_DATAA& data, bool directoriesAccepted) {
    if (IsDotEntry(data.cFileName)) return false;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !directoriesAccepted) return false;
    return true;
}

}  // namespace

std::string SearchPatternFor(const std::string& pattern) {
    std::string cut = pattern.substr(0, kSearchPatternLimit);
    if (!cut.empty() && (cut.back() == ':' || cut.back() == '\\')) cut += "*.*";
    return cut;
}

DirectorySearch& DirectorySearch::operator=(DirectorySearch&& other) noexcept {
    if (this != &other) {
        Close();
        find_ = std::move(other.find_);
        directoriesAccepted_ = other.directoriesAccepted_;
        alternateName_ = std::move(other.alternateName_);
    }
    return *this;
}

std::string DirectorySearch::Start(const std::string& pattern, bool directoriesAccepted) {
    Close();
    directoriesAccepted_ = directoriesAccepted;
    if (pattern.empty()) return {};

    const std::string searched = SearchPatternFor(pattern);
    WIN32_FIND_DATAA data{};
    {
        ErrorModeGuard guard(FsRedirection::kOff);
        find_.Reset(FindFirstFileA(searched.c_str(), &data));
    }
    if (!find_.IsValid()) return {};
    std::string name = Accept(data);
    return name.empty() ? Continue() : name;
}

std::string DirectorySearch::Continue() {
    while (find_.IsValid()) {
        WIN32_FIND_DATAA data{};
        bool found = false;
        {
            ErrorModeGuard guard(FsRedirection::kOff);
            found = FindNextFileA(find_.Get(), &data) != FALSE;
        }
        if (!found) break;
        std::string name = Accept(data);
        if (!name.empty()) return name;
    }
    Close();
    return {};
}

void DirectorySearch::Close() {
    alternateName_.clear();
    if (!find_.IsValid()) return;
    ErrorModeGuard guard(FsRedirection::kOff);
    find_.Close();
}

std::string DirectorySearch::Accept(const WIN32_FIND_DATAA& data) {
    if (!IsAccepted(data, directoriesAccepted_)) return {};
    // Both fields are NUL-terminated within their arrays by the platform;
    // strnlen keeps a misbehaving one from running past them.
    alternateName_.assign(data.cAlternateFileName,
                          strnlen(data.cAlternateFileName, sizeof data.cAlternateFileName));
    return std::string(data.cFileName, strnlen(data.cFileName, sizeof data.cFileName));
}

}  // namespace sumbrook
