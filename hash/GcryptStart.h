// libgcrypt's start, which the library wants done once for the process
// before any other call of it: every user of libgcrypt (hash/'s hashers,
// signature/'s public-key checks) calls this first. Safe from any thread:
// the first caller starts the library, the others wait for it. Only
// digests and public keys are used, so no secure memory is set up. Throws
// std::runtime_error when the library linked in is older than its header.
#pragma once

namespace sumbrook {

void StartGcrypt();

}  // namespace sumbrook
