// The command line's signature commands: --check-signature and the key
// store's --add-key, --keys and --remove-key. Each writes its results to
// `settings.out`, its complaints to `settings.err`, and returns the exit
// code: for --check-signature 0 good by a trusted key, 1 bad (the file or
// the signature changed), 2 not verified (no trusted key made it, refused,
// malformed, unreadable), as gpgv's codes go.
#pragma once

#include <string>
#include <vector>

#include "cli/Commands.h"

namespace sumbrook {

struct SignatureSettings {
    std::string signaturePath;              // --signature
    std::vector<std::string> keyFiles;      // --key
    std::vector<std::string> fingerprints;  // --fingerprint
};

int CheckSignature(const std::string& path, const SignatureSettings& signature,
                   const CliSettings& settings);
int AddKey(const std::string& keyFile, const std::string& label, const CliSettings& settings);
int ListKeys(const CliSettings& settings);
// --remove-key: an OpenPGP key by its fingerprint, a minisign or signify key by
// its key ID (16 hex digits) or its base64 line.
int RemoveKey(const std::string& keyText, const CliSettings& settings);

}  // namespace sumbrook
