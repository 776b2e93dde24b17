// Reads SFV checksum lists: one file per line, its name, one or more blanks
// (space or tab), then its CRC-32 as eight hexadecimal digits, the last field
// of the line, so names may hold blanks themselves:
//
//   ; a comment: the line's first byte is ';'
//   abc.txt 352441C2
//   Samples/with blanks.txt  cbf43926
//
// Lines end with LF or CR LF. Blank lines and blanks after the checksum are
// allowed; the name is every byte before the blanks that precede the
// checksum, leading blanks included, so that any name the writer writes reads
// back unchanged. Comment lines are skipped unread. Bytes from 0x80 up pass
// through as they are (UTF-8 or an ANSI code page; the reader does not decode
// them); control bytes other than the tab are refused, and so is a name
// that starts with a byte-order mark (U+FEFF): one is dropped from the start
// of every line (ListLineReader), so such a name could not be listed again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ListLineReader.h"
#include "lists/NameStore.h"

namespace sumbrook {

// The longest line read, not counting its LF or CR LF (see ListLineReader).
inline constexpr std::size_t kMaxSfvLineLength = kMaxListLineLength;

// `text` without a UTF-8 byte-order mark at its start (only there).
std::string_view StripUtf8Bom(std::string_view text);

// A line that names a file. A list may have millions, so an entry keeps only
// what checking needs (the checksum's value, not its digits as listed), and
// its name is kept elsewhere: in the NameStore of the SfvReadResult, or in
// the line given to ParseSfvLine.
struct SfvEntry {
    std::string_view name;  // as listed, never empty
    std::uint32_t crc = 0;  // the checksum's value
    std::size_t line = 0;   // counting from 1; set by ParseSfv, 0 from ParseSfvLine
};

struct SfvLineResult {
    enum class Kind { kNothing, kEntry, kError };
    Kind kind = Kind::kNothing;  // kNothing: a blank or comment line
    SfvEntry entry;              // when kEntry
    std::string error;           // when kError: what is wrong with the line
};

// One line without its LF; a CR at its end is dropped. The byte-order mark
// is not skipped here: the caller strips it from the first line.
SfvLineResult ParseSfvLine(std::string_view line);
// One line as ListLineReader hands it, its line end and byte-order mark
// already gone: a CR at its end is a control byte here.
SfvLineResult ParseSfvLineText(std::string_view line);

struct SfvReadResult {
    bool ok = false;
    std::vector<SfvEntry> entries;  // complete only when ok; a list without entries is ok
    NameStore names;                // the entries' names
    std::size_t line = 0;           // the first line that is refused, when not ok
    std::string error;              // what is wrong with it
};

// A list fed in pieces of any size (a file read block by block), read line
// by line as each line ends (ListLineReader: encodings, byte-order marks,
// line ends and the longest line), stopping at the first refused line.
class SfvStreamReader : private ListLineSink {
  public:
    // False once a line is refused; what is fed after that is not read.
    bool Add(std::string_view bytes);
    // Ends the list and gives what was read. Called once, after the last Add.
    SfvReadResult Finish();

  private:
    bool TakeLine(std::string_view line, std::size_t number, std::string& error) override;
    void Refuse();

    ListLineReader lines_;
    SfvReadResult result_;
};

// A whole list in one piece, read as SfvStreamReader reads it.
SfvReadResult ParseSfv(std::string_view text);

}  // namespace sumbrook
