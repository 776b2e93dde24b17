// Reads a checksum list of any line format (ListFormat: SFV, sum lines, tag
// lines, a digest file of one download, any of them clear-signed) into its
// entries: a name and a digest of a kind each. The list is fed in pieces of
// any size (ListLineReader: encodings, byte-order marks, line ends, the
// longest line) and read as its lines end; it is recognised by its name and
// its first entry line (RecogniseListFormat), and each digest's kind is
// chosen as DigestKindChoice says. A protocol is no list of lines: the
// caller tells it (verify/ListFileKind.h) and reads it with ParseProtocol.
//
// A line that is not of the list's format, a digest whose length fits not
// its kind, and a name no file can have (a NUL byte) refuse the whole list
// with the line's number, as SFV lists always have been: nothing of a list
// that may have been damaged is checked. Names are kept as listed, '\' and
// '/' alike (ResolveListedPath takes both for folder separators).
//
// A digest alone on the only entry line ("HEX", as in image.iso.sha256) is
// the digest of the file that the list's name names without its extension
// (image.iso), in the list's folder.
//
// Memory: an entry is the size of an SfvEntry natively (32 bytes; 20 in the
// 32-bit build, 4 more); its name lies in the NameStore and its digest in
// the DigestStore, one after another, so a million SHA-256 lines cost about
// 32 bytes each beyond what an SFV list of the same names costs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"
#include "lists/ClearSignedFrame.h"
#include "lists/DigestStore.h"
#include "lists/ListFormat.h"
#include "lists/ListLineReader.h"
#include "lists/NameStore.h"

namespace sumbrook {

struct ListEntry {
    std::string_view name;       // as listed (unescaped), never empty
    std::size_t line = 0;        // counting from 1
    std::uint32_t digestAt = 0;  // in the result's DigestStore
    DigestKind kind = DigestKind::kCrc32;
    // False when only its length chose `kind` and it could be another kind
    // of the same length (DigestKindChoice): see ListReadResult::SettleKind.
    bool kindSettled = true;
};

struct ListReadResult {
    bool ok = false;
    // The format of the first entry line (sum and tag lines may mix); kSfv
    // for a list without entries.
    ListFormat format = ListFormat::kSfv;
    // The list is clear-signed. Its signature is not checked here: whoever
    // reads the list checks `signedParts` (the lines read are its text) or
    // says that it was not checked.
    bool clearSigned = false;
    // The list is the digest file of one download (image.iso.sha256): its
    // one entry is a digest alone, or names the file that the list's name
    // names without its extension. It names that file only: the other files
    // beside it are none of its business (no NEW).
    bool oneFile = false;
    ClearSignedParts signedParts;    // when clearSigned and ok
    std::vector<ListEntry> entries;  // complete only when ok; none is ok
    NameStore names;                 // the entries' names
    DigestStore digests;             // and their digests
    // When not ok: the refused line (0: the list as a whole, whose
    // encoding fails) and what is wrong with it.
    std::size_t line = 0;
    std::string error;

    Digest DigestOf(const ListEntry& entry) const { return digests.At(entry.digestAt, entry.kind); }
    // Whether some entry's kind is not settled. Whoever checks the list then
    // computes, for the first such entry whose file exists, every kind of
    // DigestKindsOfLength(2 * DigestSize(entry.kind)) and settles the list
    // with the one that matches; when none does, it cannot tell a changed
    // file from a wrong guess and says that instead of CHANGED.
    bool HasUnsettledKinds() const;
    // Makes `kind` the settled kind of every unsettled entry whose digest
    // could be of it (DigestKindsOfLength of its length holds `kind`).
    void SettleKind(DigestKind kind);
};

struct ListReadOptions {
    // The list's file name, folders before it allowed: the kind it names,
    // its format when it ends with .sfv, and the file a digest alone names.
    std::string listName;
    // The kind every digest is of (the command line's --algorithm), over
    // what lines and the list's name say; a line that names another kind
    // is refused.
    std::optional<DigestKind> forced;
    // The list's size in bytes, when known: room for its entries is made
    // once, from the length of its first lines, rather than grown by
    // doubling (each step a copy into memory not touched before).
    std::uint64_t bytes = 0;
};

class ListReader : private ListLineSink {
  public:
    explicit ListReader(ListReadOptions options);

    // False once a line is refused; what is fed after that is not read.
    bool Add(std::string_view bytes);
    // Ends the list and gives what was read. Called once, after the last Add.
    ListReadResult Finish();

  private:
    bool TakeLine(std::string_view line, std::size_t number, std::string& error) override;
    bool TakeListLine(std::string_view line, std::size_t number, std::string& error);
    bool Decide(ListFormat format, std::string& error);
    // Whether every held line starts with '#' and none is an SFV entry.
    bool AllHeldAreSumComments() const;
    bool TakeEntry(std::size_t number, std::string& error);

    ListReadOptions options_;
    std::optional<DigestKind> named_;  // the kind the list's name names
    ListLineReader lines_;
    ClearSignedFrame frame_;
    std::optional<ListFormat> format_;  // once recognised
    // The comment lines before the first entry line, kept until the format
    // is known: in SFV a '#' line is an entry, in a sum list a comment.
    std::string held_;
    std::vector<std::pair<std::size_t, std::size_t>> heldLines_;  // number, length
    ListLineRead read_;
    std::optional<std::size_t> digestAlone_;  // the line of a digest alone
    // The first held line that reads as SFV and as a sum line alike
    // (ReadsAsSfvOrCrcSum), and why, until a line tells the format.
    std::size_t eitherLine_ = 0;
    std::string eitherWhy_;
    std::size_t refusedLine_ = 0;  // set when a held line is refused
    std::uint64_t lineBytes_ = 0;  // of the lines taken so far, ends included
    ListReadResult result_;
};

// A whole list in one piece, read as ListReader reads it.
ListReadResult ReadList(std::string_view text, ListReadOptions options);

}  // namespace sumbrook
