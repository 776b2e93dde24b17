// Writes the new content of a file so that a failure never destroys the old
// one. What the path leads to, once its links are followed, decides how:
//
// - A regular file, or nothing yet: the bytes go to a temporary file beside
//   the file the links lead to (a dot, the start of its name, a short unique
//   ending and ".tmp", so that any name the folder holds leaves room for
//   it), and only once every byte is written, flushed and closed does it
//   take the file's place in one step (rename; MoveFileExW with
//   MOVEFILE_REPLACE_EXISTING). Any failure leaves the old file as it was and
//   removes the temporary one. The links stay links. A file that may not be
//   written (read-only) is refused; the new file keeps the old one's
//   permissions (POSIX) or its hidden, system and archive attributes
//   (Windows).
// - A chain of links is followed here, at most 40 of them: a longer one or a
//   loop is refused as open() refuses it ("Too many levels of symbolic
//   links"), and every link stays as it was.
// - A character device, a FIFO or a socket (/dev/full, a named pipe, NUL,
//   CON) is written directly, every write checked.
// - A descriptor of this process named as one (/dev/stdout, /dev/fd/N,
//   /proc/self/fd/N) is written as it is open: at its offset, or at the end
//   where it appends (O_APPEND); nothing is truncated or replaced.
// - A folder or a block device is refused.
//
// POSIX: while the temporary file exists, SIGINT, SIGTERM and SIGHUP (where
// they would end the process) end the write instead: it fails as
// interrupted and the temporary file is removed. SIGXFSZ is ignored then,
// so that a write past the size limit fails as "File too large". One writer
// at a time in a process.
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

    // What failed, in words that say which step did ("the folder does not
    // allow ...", or the system's words for a failed write); empty while all
    // is well.
    const std::string& Error() const;

    // Whether a file was there to be replaced, which a failure leaves as it
    // was (false for a new file, a device, a pipe or a descriptor).
    bool ReplacesAFile() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole new content of the file at `path` in one call: empty when the
// file holds `bytes` now, else why not (and the old file is unchanged).
std::string ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace sumbrook
