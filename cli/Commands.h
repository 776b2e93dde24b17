// The commands of sumbrook-cli. Each writes its results to `out`, its
// complaints to `err`, and returns the exit code of the run.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "hash/Digest.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

struct ListSignatureOptions;  // verify/ListSignature.h

struct CliSettings {
    unsigned jobs = 1;      // threads that read files at once
    bool progress = false;  // a progress line on `err` (a terminal) for runs over a second
    bool uncached = false;  // --verify and --compare read files past the system's cache
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    const char* version = "";  // the program's version, named in the lists it writes
    // --algorithm: the digest of the files checksummed, of a list written by
    // --list, of every digest of a list verified, of files compared.
    std::optional<DigestKind> algorithm;
    bool tag = false;            // --tag: tag lines ("SHA256 (NAME) = HEX")
    bool ignoreMissing = false;  // --ignore-missing: --verify of the listed files there only
    // --verify: the list's signature is judged first (null: not judged).
    const ListSignatureOptions* signature = nullptr;
};

// One line per file: without an algorithm (or with CRC-32), "<CRC text>  <path as given>";
// with another, the sum line (SumLine) of the path as given ('\' made '/' on
// Windows), as md5sum, sha256sum, b3sum or xxhsum prints it, or with `tag`
// its tag line. A file that cannot be read gets a line on `err` with the
// reason instead, and the code 2.
int ChecksumFiles(const std::vector<std::string>& paths, const CliSettings& settings);

// The protocol of the plain files in `directory` (named in full in it), to
// `outputPath` or, when that is empty, to `out` (bytes unchanged). Files that cannot be read are
// named on `err` with the reason, counted, and make the code 2; the protocol
// is still written, in its own format. A file written at `outputPath` is
// written whole at the end, so a failed run leaves no partial protocol.
int WriteDirectoryProtocol(const std::string& directory, const std::string& outputPath,
                           const CliSettings& settings);

// An SFV list of the plain files of `directory` (with `recursive`, of its
// tree), to `outputPath` or, when that is empty, to `out`: the comment lines
// of SfvHeaderLines, then "<name> <CRC>" per file, names relative to
// `directory` with '/' between folders, sorted byte by byte. A file at
// `outputPath` is not listed. Files that cannot be read or listed (names
// SfvPathFault refuses) and folders that cannot be listed are named on
// `err`, counted, and make the code 2; the list holds the others. A file
// written at `outputPath` is written whole at the end.
int WriteDirectorySfv(const std::string& directory, bool recursive, const std::string& outputPath,
                      const CliSettings& settings);

// WriteDirectorySfv for a list of sum lines (with `settings.tag`, of tag
// lines) of the algorithm of `settings` (SHA-256 when none), as sha256sum
// and its peers write them: no comment lines, LF after each line.
int WriteDirectoryList(const std::string& directory, bool recursive, const std::string& outputPath,
                       const CliSettings& settings);

// Checks `directory` against the list at `listPath`: a protocol of the
// dialog (recognised by its first line; `directory` defaults to the one it
// names; `recursive` is refused) or else a list of lines of any format
// (`directory` defaults to the folder holding the list). One line per file,
// then the summary line and its notes. A list that cannot be read, a line
// that does not fit the format and a name that would leave the folder get
// one error naming the line, and nothing else happens. With
// `settings.ignoreMissing`, a run that finds no listed file is an error.
int VerifyDirectory(const std::string& listPath, const std::string& directory, bool recursive,
                    const CliSettings& settings);

// Compares the plain files of `source` (with `recursive`, of its tree) with
// the files at the same relative paths under `copy`: OK, DIFFERENT, MISSING,
// NEW or UNREADABLE per file, then the summary line. Files of equal size
// are read, each once; files of different sizes are not read.
int CompareFolders(const std::string& source, const std::string& copy, bool recursive,
                   const CliSettings& settings);

}  // namespace sumbrook
