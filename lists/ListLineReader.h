// Splits a checksum list into its lines, whatever it was saved as, for the
// readers of every line format (SFV, sum lines, tag lines). The list is fed
// in pieces of any size (a file read block by block); each line is handed to
// a ListLineSink as soon as its LF has come, with its number. What a sink
// receives is UTF-8 or the list's own bytes:
//
// - a list that starts with a UTF-16 byte-order mark (little or big endian)
//   is decoded to UTF-8 (ListTextDecoder); one that is no UTF-16 text is
//   refused as a whole (line 0), once the lines before the fault are handed;
// - a line loses its LF, one CR before it, and one byte-order mark (U+FEFF)
//   at its start: the one a UTF-8 list starts with, and the one that each
//   list brings along when two are joined (cat a.sfv b.sfv);
// - a line longer than kMaxListLineLength is refused as soon as more of it
//   has come than that, before its end: the reader never holds more than one
//   line of that length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "lists/ListEncoding.h"

namespace sumbrook {

// The longest line read, not counting its byte-order mark and line end: room
// for a Windows path of 32767 UTF-16 units at three UTF-8 bytes each,
// blanks and a checksum.
inline constexpr std::size_t kMaxListLineLength = std::size_t{128} * 1024;

class ListLineSink {
  public:
    virtual ~ListLineSink() = default;
    // One line, as above; `number` counts from 1 and counts every line,
    // blank ones too. False refuses the line with `error` set (what is wrong
    // with it, without its number): nothing more is read.
    virtual bool TakeLine(std::string_view line, std::size_t number, std::string& error) = 0;
};

class ListLineReader {
  public:
    // Hands the lines that end in `bytes` to `sink`. False once a line is
    // refused (by the sink or for its length or encoding); what is fed
    // after that is not read.
    bool Add(std::string_view bytes, ListLineSink& sink);
    // Ends the list: hands its last line when it does not end with LF. True
    // when no line was refused. Called once, after the last Add.
    bool Finish(ListLineSink& sink);

    // The refused line (0: the list as a whole, which is no UTF-16 text)
    // and why, once Add or Finish has returned false.
    std::size_t FaultLine() const { return faultLine_; }
    const std::string& Fault() const { return fault_; }
    // The lines handed on so far.
    std::size_t Lines() const { return lines_; }

  private:
    bool Split(std::string_view text, ListLineSink& sink);
    bool EndLine(ListLineSink& sink);
    bool Refuse(std::size_t line, std::string error);

    ListTextDecoder decoder_;
    std::string pending_;  // the line so far
    std::size_t lines_ = 0;
    std::size_t faultLine_ = 0;
    std::string fault_;
};

}  // namespace sumbrook
