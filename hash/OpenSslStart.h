// OpenSSL's start for the process, without the system's configuration
// file: every user of libcrypto (hash/'s hashers, signature/'s public-key
// checks) calls this before its first call of it. Digests and public-key
// checks need nothing of that file; reading it took some 0.8 ms of each
// run (1.9-2.6 against 1.1-1.6 ms for OpenSSL's first digest, AMD EPYC
// family 26 model 2), and a file there cannot make a kind unavailable (one
// for FIPS refuses MD5) or stop the program (one of its settings makes a
// fault in the file a fault of every call). Nor are the library's tables
// of every cipher's and digest's names filled, which its first fetch did
// otherwise: fetching the eight kinds of the kind table took 0.18-0.23 ms
// without them, 0.48-0.64 ms with (Intel Xeon family 6 model 167). The
// providers' own names are fetched by (EVP_MD_fetch, never
// EVP_get_digestbyname). Safe from any thread.
#pragma once

namespace sumbrook {

void StartOpenSsl();

}  // namespace sumbrook
