// Files for the POSIX tests: a fresh temporary folder removed with all it
// holds (and, through TestContent.h, what to write into it).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/common/TestContent.h"

namespace sumbrook::test {

// The folder temporary folders go in: $TMPDIR, else /tmp.
inline std::string TempBase() {
    const char* base = std::getenv("TMPDIR");
    return base != nullptr ? base : "/tmp";
}

class TempDirectory {
  public:
    // A new folder in `base`.
    explicit TempDirectory(const std::string& base = TempBase()) {
        std::string pattern = base + "/sbtest.XXXXXX";
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempDirectory() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Writes `content` to `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(*this / name, std::ios::binary) << content;
        return *this / name;
    }

  private:
    std::string path_;
};

}  // namespace sumbrook::test
