// Writes a whole protocol, line by line, into a byte sink: the head (header,
// directory, column and separator lines), one line per listed file, and the
// tail (separator, count and empty line). Each line goes to the sink as one
// piece of text (none for an empty line) followed by one piece "\r\n".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "lists/ProtocolFormat.h"

namespace sumbrook {

class ProtocolWriter {
  public:
    // Takes the bytes to append; returns false when they could not be written.
    using ByteSink = std::function<bool(std::string_view bytes)>;

    explicit ProtocolWriter(ByteSink sink);

    void WriteHead(const LocalDateTime& when, std::string_view directoryText);

    // Writes the file's line and counts it, unless its checksum text is
    // "00000000" (an empty or unreadable file). Returns whether it was listed.
    bool AddFile(std::string_view name, std::string_view crcText);

    void WriteTail();

    int Count() const { return count_; }

    // False once the sink has refused a write; nothing more is written then.
    bool Ok() const { return ok_; }

  private:
    void WriteLine(std::string_view line);

    ByteSink sink_;
    std::string separator_;
    int count_ = 0;
    bool ok_ = true;
};

}  // namespace sumbrook
