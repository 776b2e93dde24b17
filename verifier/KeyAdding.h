// Adding the key of a list's signer to the key store from the window: what
// the user is shown to compare with the publisher's own page before the
// key is trusted (each certificate's full fingerprint in groups of four and
// its user IDs), the label offered, and the adding itself.
#pragma once

#include <string>
#include <vector>

#include "signature/Certificate.h"

namespace sumbrook {

// The question asked before `keys` (of the file `path`) are added.
std::string KeyConfirmationText(const std::string& path,
                                const std::vector<CheckedCertificate>& keys);

// The label offered for `key`: its first user ID's name (the part before
// " <mail>"), else the whole user ID; "" when it has none.
std::string SuggestedLabel(const CheckedCertificate& key);

// Adds each of `keys` to the store at `folder` with its suggested label;
// "" when all were added, else why one was not.
std::string AddKeys(const std::string& folder, const std::vector<CheckedCertificate>& keys);

}  // namespace sumbrook
