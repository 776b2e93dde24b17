// Where a command's lines go: results to standard output, complaints to
// standard error, both kept clear of the progress line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/Commands.h"
#include "cli/Progress.h"

namespace sumbrook {

class CommandOutput {
  public:
    CommandOutput(const CliSettings& settings, std::size_t totalFiles);

    // `text` and a line break on `out`.
    void Line(std::string_view text);
    // Bytes on `out` exactly as given.
    bool Write(std::string_view bytes);
    // "sumbrook-cli: <subject>: <text>" on `err`.
    void Complain(std::string_view subject, std::string_view text);
    // "sumbrook-cli: <sentence>" on `err`.
    void Complain(std::string_view sentence);

    Progress& Meter() { return progress_; }

    // Erases the progress line and flushes `out`; false when something
    // written to `out` was lost (a full disk, a closed pipe).
    bool Finish();
    // After Finish failed: "standard output: cannot be written: <the system's reason>".
    void ComplainOutputLost();

  private:
    std::FILE* out_;
    std::FILE* err_;
    bool outIsTerminal_;  // each asked once: on Windows a call to the system
    bool errIsTerminal_;
    Progress progress_;
    int writeError_ = 0;  // errno of the first write to `out` that failed
};

}  // namespace sumbrook
