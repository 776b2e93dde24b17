// The filtered search over a pattern through which the program looks into
// the file system by name: FindFirstFileA / FindNextFileA / FindClose under
// the error-mode rule, with "." and "..", hidden and system entries skipped,
// and directories skipped unless accepted. Entries come in the platform's
// order, each with its long name as stored.
#pragma once

#include <cstddef>
#include <string>

#include "platform/WinHandles.h"

namespace sumbrook {

class DirectorySearch {
  public:
    DirectorySearch() = default;
    // The search is closed when the object goes, so none outlives the
    // command that started it.
    ~DirectorySearch() { Close(); }
    DirectorySearch(DirectorySearch&&) noexcept = default;
    DirectorySearch& operator=(DirectorySearch&& other) noexcept;

    // Closes any open search and starts one over `pattern` (only its first
    // 256 characters; "*.*" appended when these end with ":" or "\").
    // Returns the long name of the first accepted entry, or "" when there is
    // none (an empty pattern, nothing found, or a failure of the platform).
    std::string Start(const std::string& pattern, bool directoriesAccepted);

    // The next accepted entry's name, or "" when none is left (the search is
    // then closed) or no search is open.
    std::string Continue();

    // The short (8.3) name of the entry last returned, "" when it has none.
    // A long name that the ANSI code page cannot represent comes back with
    // "?" in it; the short name is then the one that opens the file.
    const std::string& AlternateName() const { return alternateName_; }

    void Close();

  private:
    // The name of the entry in `data` when it is accepted, else "".
    std::string Accept(const WIN32_FIND_DATAA& data);

    ScopedFindHandle find_;
    bool directoriesAccepted_ = false;
    std::string alternateName_;
};

// Only this many characters of a pattern take part in a search.
inline constexpr std::size_t kSearchPatternLimit = 256;

// The pattern handed to the platform: cut to the limit, "*.*" appended when
// it then ends with ":" or "\". Empty for an empty pattern.
std::string SearchPatternFor(const std::string& pattern);

}  // namespace sumbrook
