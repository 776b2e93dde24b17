// A fresh folder below the temporary directory, removed with everything in it
// (read-only, hidden and system entries included) when the object goes.
#pragma once

#include <cstdint>
#include <string>

namespace sumbrook::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Full path, without a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    // Writes `content` to the file `name` in the folder; returns its full path.
    std::string Write(const std::string& name, const std::string& content) const;
    std::string MakeFolder(const std::string& name) const;

  private:
    std::string path_;
};

// Whole-file helpers for checking what the program wrote.
bool FileExists(const std::string& path);
// True when the file can be opened for reading and writing with no sharing:
// nothing holds it open any more.
bool OpensExclusively(const std::string& path);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
void RemoveTree(const std::string& path);
// The same for a folder named in UTF-16, in the extended-length form
// (\\?\...), so that any name and any length can be removed.
void RemoveTreeW(const std::wstring& longPath);

// A program built next to the tests, from the build's Unix path to the Windows
// path under which Wine's Z: drive shows it.
std::string BuiltProgramPath(const std::string& unixPath);

}  // namespace sumbrook::test
