// Writes the new content of a file so that a failure never destroys the old
// one: the bytes go to a temporary file in the same folder, and only when
// every byte is written, flushed and closed does it take the old file's
// place in one step (rename; MoveFileExW with MOVEFILE_REPLACE_EXISTING).
// Any failure leaves the old file as it was and removes the temporary one.
// A file that may not be written (read-only) is not replaced; the new one
// keeps the old one's permissions.
//
// Through a link it is the file the link names that is replaced, never the
// link. A device or a pipe (/dev/full, a FIFO, NUL, CON) cannot be replaced
// and is written directly, every write checked; nothing is ever created in
// a folder of devices such as /dev.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace sumbrook {

class ReplacingFileWriter {
  public:
    // Starts the new content of the file at the UTF-8 `path`. A failure to
    // start (a missing folder, no right to write there) shows in Error().
    explicit ReplacingFileWriter(const std::string& path);
    // Without a successful Commit: the temporary file is removed and the
    // file at `path` is left as it was.
    ~ReplacingFileWriter();

    ReplacingFileWriter(const ReplacingFileWriter&) = delete;
    ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

    // Appends `bytes`; false once anything has failed (nothing more is
    // written then).
    bool Write(std::string_view bytes);

    // Flushes and closes the new content and puts it in the file's place.
    // True when the file at `path` now holds exactly what was written.
    // Called once, after the last Write.
    bool Commit();

    // The system's words for the first failure; empty while all is well.
    const std::string& Error() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole new content of the file at `path` in one call: empty when the
// file holds `bytes` now, else why not (and the old file is unchanged).
std::string ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace sumbrook
