// Files for the POSIX tests: a fresh temporary folder removed with all it
// holds (and, through TestContent.h, what to write into it).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/common/TestContent.h"

namespace sumbrook::test {

class TempDirectory {
  public:
    TempDirectory() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/sbtest.XXXXXX";
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
