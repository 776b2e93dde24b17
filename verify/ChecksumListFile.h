// Reads a checksum list from a file: the dialog's protocol, recognised by its
// first line, or else an SFV list, read line by line so that a list of any
// size (or a line of any length) costs no more memory than its entries.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "lists/ProtocolReader.h"
#include "lists/SfvReader.h"

namespace sumbrook {

struct ChecksumListFile {
    enum class Kind { kProtocol, kSfv };
    Kind kind = Kind::kSfv;
    bool ok = false;
    bool cancelled = false;  // not ok: `goOn` stopped the reading
    // When not ok: "line N: <reason>" for a refused line, else the system's
    // reason ("No such file or directory", "Is a directory"...).
    std::string error;
    Protocol protocol;                 // kProtocol, when ok
    std::vector<SfvEntry> sfvEntries;  // kSfv, when ok; each with its line number
    NameStore sfvNames;                // and their names
};

// The list at `path`. An SFV line longer than kMaxSfvLineLength is refused
// as soon as that many bytes of it have been read; a protocol larger than
// 256 MiB is refused. `goOn`, when given, is called after each block read
// with the lines read so far; false stops the reading.
ChecksumListFile ReadChecksumListFile(const std::string& path,
                                      const std::function<bool(std::size_t linesRead)>& goOn = {});

}  // namespace sumbrook
