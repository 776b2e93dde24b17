// The formats a checksum list comes in, each described once: how a list of
// it is recognised, how one of its lines reads into a name and a digest, how
// an entry's line is written, and the lines a written list starts with.
//
//   protocol  the dialog's protocol (ProtocolReader, ProtocolWriter): read
//             whole, not line by line, so it has no line reader here;
//   SFV       "NAME CRC" (SfvReader, SfvWriter), CRC-32 only;
//   sum       "HEX  NAME" as sha256sum and its peers write (SumLine);
//   tag       "SHA256 (NAME) = HEX" as sha256sum --tag writes (SumLine).
//
// Sum and tag lines mix in one list, as the tools that read them allow, so
// one reader (ReadSumLine) reads both; they differ in how they are written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"
#include "lists/ListLineRead.h"
#include "lists/ListedPath.h"
#include "platform/LocalClock.h"

namespace sumbrook {

enum class ListFormat : unsigned char { kProtocol, kSfv, kSum, kTag };

struct ListFormatDescriptor {
    ListFormat format;
    const char* name;  // "protocol", "SFV", "sum lines", "tag lines"
    // Reads a line as ListLineReader hands it; null for the protocol.
    void (*readLine)(std::string_view line, ListLineRead& read);
    // Whether a list of this format can hold digests of `kind`; when not,
    // what a front end says of it: `notHeldStart`, the kind's name and
    // `notHeldEnd` (NotHeldText).
    bool (*holds)(DigestKind kind);
    const char* notHeldStart;
    const char* notHeldEnd;
    // Empty when `name` can be written so that it reads back unchanged;
    // else why not. Null for the protocol.
    std::string (*nameFault)(std::string_view name);
    // The line of an entry, without its line end; `digest` of a kind the
    // format holds, `name` without a fault. Null for the protocol.
    std::string (*entryLine)(std::string_view name, const Digest& digest);
    // The comment lines a written list starts with (none for sum and tag
    // lists: b3sum refuses comments). Null for the protocol.
    std::vector<std::string> (*headerLines)(std::string_view program, std::string_view version,
                                            const LocalDateTime& when);
    // What ends each written line: CR LF in the Windows build for SFV, as
    // its peers there write it; LF for sum and tag lists everywhere, which
    // b3sum and xxhsum read only so. Empty for the protocol (always CR LF).
    std::string_view lineEnd;
    // How ResolveListedPath takes a control byte in a listed name: refused
    // in SFV, which cannot hold one; part of the name in sum and tag lists.
    ControlBytes controlBytes;
};

const ListFormatDescriptor& DescriptorOf(ListFormat format);

// Empty when a list of `format` holds digests of `kind`; else why not, as a
// clause: "sum lines hold no CRC-32 (sha256sum's peers would take it for
// another algorithm)".
std::string NotHeldText(ListFormat format, DigestKind kind);

// Empty when a list of the format that names the file at `path` (relative to
// the folder, '/' between folders) reads back on this system as that same
// file; otherwise why not: the format's name fault, a name ResolveListedPath
// refuses or finds this system cannot hold, and '\' in a name, which
// readers take for a folder separator.
std::string ListPathFault(const ListFormatDescriptor& format, std::string_view path);

// The format of a list that is no protocol, from the list's file name
// (folders before it allowed), the kind the caller forces, and the list's
// first line that is not blank and does not start with ';' or '#' (its
// first entry, in every format; a clear-signed list's first signed one):
// - a list named *.sfv is SFV, whatever it holds, as every list was before
//   sum and tag lists were read;
// - a tag line ("XXX (NAME) = HEX", an unknown XXX too) makes a tag list;
// - when the list's name names a kind (DigestKindOfListName) or the caller
//   forces one other than CRC-32, any other line makes a sum list, whose
//   reader says what is wrong with a line that is none;
// - else a sum line ("HEX  NAME", "HEX *NAME", "XXH3_HEX  NAME", a digest
//   alone) with as many digits as a kind has (DigestKindsOfLength) makes a
//   sum list, also where SFV would read it too: "<32 hex>  20240101" is the
//   MD5 of a file named 20240101 rather than the CRC of a file whose name is
//   32 hexadecimal digits followed by two blanks, which no SFV tool writes;
//   a line that starts so but is no sum line is SFV when SFV reads it
//   ("<64 hex> 1234ABCD", a hex name), else a sum line refused;
// - anything else is SFV, whose reader says what is wrong with it.
ListFormat RecogniseListFormat(std::string_view listName, std::optional<DigestKind> forced,
                               std::string_view firstEntryLine);

// Whether an entry line reads as SFV and as a CRC-32 sum line alike, where
// neither the list's name nor the kind forced tells which: "352441C2
// deadbeef" is the CRC-32 352441C2 of "deadbeef" as rhash and sumbrook-cli
// FILE... write it, and in SFV the CRC-32 DEADBEEF of "352441C2". Such a
// line is read once a later line tells the format; `why` then says what
// the line would be either way. A list named *.sfv is SFV; a kind forced
// (-a crc32) makes it a sum line.
bool ReadsAsSfvOrCrcSum(std::string_view listName, std::optional<DigestKind> forced,
                        std::string_view line, std::string& why);

}  // namespace sumbrook
