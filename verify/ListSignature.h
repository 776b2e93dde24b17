// The signature of a checksum list, judged before any listed file is read:
// a clear-signed list's own (the lines read are the signed text), or a
// detached signature beside the list (LIST.gpg, .asc, .sig, .sign) or named
// by the front end, over the list's bytes, which are then the bytes read
// for its lines. The policy of what follows:
//
// - good, by a trusted key: the files are checked; a note says by whom
//   (label, user ID, fingerprint) and when; the code is the checksums';
// - bad (the list or the signature changed): nothing is checked, code 1;
// - by no trusted key, or refused: where the user chose keys (--key,
//   --fingerprint, a store that holds any) or asked for a signature, a note
//   says why and the code is 2 after the files are checked; else the note
//   says the signature was not verified and which key made it;
// - no signature at all, where one is required: nothing is checked, code 2.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lists/ListReader.h"
#include "signature/KeySignatureResult.h"
#include "signature/SignatureCheck.h"

namespace sumbrook {

struct ListSignatureOptions {
    std::vector<std::string> keyFiles;      // none: the key store's keys
    std::vector<std::string> fingerprints;  // only these certificates
    std::string signaturePath;              // none: the one beside the list, if any
    bool requireSignature = false;
    std::string storeFolder;  // the key store (DefaultKeyStoreFolder())
};

struct ListSignatureVerdict {
    // Nothing is to be checked: `refusal` says why, `exitCode` is its code
    // (1 bad, 2 unsigned where required, keys that cannot be read).
    bool stop = false;
    std::string refusal;
    std::vector<std::string> notes;                  // the summary's clauses
    int exitCode = 0;                                // at least this, after the files are checked
    std::shared_ptr<const SignatureResult> leading;  // the good result, else the first
    std::shared_ptr<const KeySignatureResult> keyResult;  // a minisign or signify signature's
    // A detached signature's list was read here from the verified bytes;
    // use `list` instead of reading the file again.
    bool listRead = false;
    ListReadResult list;
    // The detached signature file checked (beside the list or named); it is
    // no NEW file of the list's folder.
    std::string signatureFile;
};

// Judges the list at `listPath`, which ReadChecksumListFile gave as `list`
// (a list of lines), with `forced` the kind of its digests as asked.
ListSignatureVerdict JudgeListSignature(const std::string& listPath, ListReadResult& list,
                                        const std::optional<DigestKind>& forced,
                                        const ListSignatureOptions& options);

}  // namespace sumbrook
