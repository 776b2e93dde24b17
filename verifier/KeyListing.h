// The key store as the window's Keys dialog shows it: one line per key in
// its list (the label and the fingerprint), and the whole of the key chosen
// (label, fingerprint in groups of four, algorithm, expiry, user IDs), in
// the words of sumbrook-cli --keys.
#pragma once

#include <string>

#include "signature/Certificate.h"

namespace sumbrook {

// "LABEL · 0102 0304 ... 1314"; "(no label)" for none.
std::string KeyListLine(const CheckedCertificate& key);

// The lines about `key`, LF between them.
std::string KeyDetailsText(const CheckedCertificate& key);

}  // namespace sumbrook
