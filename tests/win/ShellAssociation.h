// The "open" action of .txt files pointed at the tests' ShellRecorder, or
// at nothing, for the lifetime of the object; the previous association is
// put back afterwards. The classes root is written directly, because the
// per-user classes are not consulted by every platform (Wine 8 does not).
#pragma once

#include <string>

namespace sumbrook::test {

class TxtOpenAssociation {
  public:
    // Opening a .txt file runs ShellRecorder.exe (next to the test program),
    // which writes what it was asked to open into `recordPath`.
    static TxtOpenAssociation Recorder(const std::string& recordPath);
    // .txt files have no "open" action at all.
    static TxtOpenAssociation None();

    ~TxtOpenAssociation();
    TxtOpenAssociation(TxtOpenAssociation&& other) noexcept;
    TxtOpenAssociation(const TxtOpenAssociation&) = delete;
    TxtOpenAssociation& operator=(const TxtOpenAssociation&) = delete;
    TxtOpenAssociation& operator=(TxtOpenAssociation&&) = delete;

  private:
    explicit TxtOpenAssociation(const std::string& command);

    bool active_ = true;
    bool hadTxtKey_ = false;
    bool hadDefault_ = false;
    std::string previousDefault_;
};

// What ShellRecorder wrote, read once the record exists and the recorder has
// ended (so that it holds no folder of the test any more); waits up to
// `timeoutMs` for each. `present` is false when no record came.
struct ShellRecord {
    bool present = false;
    std::string directory;
    std::string file;
    bool readable = false;
    std::string content;
};
ShellRecord WaitForShellRecord(const std::string& recordPath, unsigned timeoutMs);

}  // namespace sumbrook::test
