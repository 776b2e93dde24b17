// Reads a checksum list from a file, as JudgeListFile tells it: the dialog's
// protocol, or else a list of lines of any format (lists/ListReader.h: SFV,
// sum and tag lines, a digest file of one download, clear-signed or not),
// read line by line so that a list of any size (or a line of any length)
// costs no more memory than its entries.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hash/Digest.h"
#include "lists/ListReader.h"
#include "lists/ProtocolReader.h"

namespace sumbrook {

struct ChecksumListFile {
    // kLines: a list of lines, of any format.
    enum class Kind { kProtocol, kLines };
    Kind kind = Kind::kLines;
    bool ok = false;
    bool cancelled = false;  // not ok: `goOn` stopped the reading
    bool notAList = false;   // not ok: a device or a folder (ListFileKind.h), never opened
    // When not ok: "line N: <reason>" for a refused line, else what is wrong
    // with the file ("a folder, not a list", "No such file or directory"...).
    std::string error;
    Protocol protocol;    // kProtocol, when ok
    ListReadResult list;  // kLines, when ok: its entries, each with its line number
};

// The name that stands for standard input as a list, as sha256sum -c takes it.
inline constexpr char kStandardInputList[] = "-";

// The list at `path` (kStandardInputList: standard input, which the caller
// puts in binary mode where the system has one), its digests all of the kind `forced` when given
// (the command line's --algorithm), else as ListReader chooses them. A line longer than
// kMaxListLineLength is refused as soon as that many bytes of it have been read; a protocol larger
// than 256 MiB is refused. `goOn`, when given, is called after each block read with the lines read
// so far; false stops the reading.
ChecksumListFile ReadChecksumListFile(const std::string& path,
                                      std::optional<DigestKind> forced = std::nullopt,
                                      const std::function<bool(std::size_t linesRead)>& goOn = {});

}  // namespace sumbrook
