// Checking a directory against a protocol: which file each protocol line
// stands for, and what became of it.
//
// A protocol line names its file by the name field: the name cut to its
// first 34 characters, or filled with blanks to 34. A file fits a line when
// its own name, cut or filled the same way, gives the same field, so a cut
// name matches every file that begins with it. A line that fits no file is
// MISSING; a line that fits one file, and is the only line that fits it, is
// that file's; any other fit is AMBIGUOUS and never resolved by guessing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileChecksum.h"
#include "hash/Digest.h"
#include "lists/ProtocolReader.h"
#include "verify/CheckRow.h"

namespace sumbrook {

// The checksum a protocol line holds, a CRC-32.
Digest ProtocolDigest(const ProtocolEntry& entry);

// The name field that a protocol would hold for a file of this name. With
// `foldCase`, letters are compared the way the file system of the Windows
// build compares them.
std::string NameFieldKey(std::string_view name, bool foldCase);

// One line of the report, in the order the report shows them: the protocol's
// lines first, in their order, then the files that no line fits, in the
// order they were listed.
struct VerifyRow {
    enum class Kind : unsigned char { kListed, kMissing, kAmbiguous, kUnlisted };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    Kind kind = Kind::kListed;
    std::size_t entry = kNone;            // protocol entry (all kinds but kUnlisted)
    std::size_t file = kNone;             // directory file (kListed, kUnlisted)
    std::vector<std::size_t> candidates;  // kAmbiguous: the files that fit
    std::size_t sameFieldLines = 0;       // kAmbiguous: protocol lines with this field
};

std::vector<VerifyRow> PlanVerification(const std::vector<ProtocolEntry>& entries,
                                        const std::vector<std::string>& fileNames, bool foldCase);

// The verdict for a row that has a file, from that file's checksum now.
// Unreadable wins over everything; an unlisted file whose content is empty is
// EMPTY (a protocol never lists one), any other unlisted file NEW.
VerifyStatus JudgeRow(const VerifyRow& row, const ProtocolEntry* entry,
                      const FileChecksum& checksum);

}  // namespace sumbrook
