// One minisign check of a file, as bench/minisign-bench.sh times it against
// `minisign -V`: the key and the .minisig read, the file read in 1 MiB
// pieces into the check (a pre-hashed signature: BLAKE2b-512 at the
// library's speed), the verdict printed; exit 0 only when good.
// Usage: minisign_check_bench KEY.pub FILE.minisig FILE
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "signature/MinisignSignature.h"

int main(int argc, char** argv) {
    using namespace sumbrook;  // NOLINT
    if (argc != 4) {
        std::fprintf(stderr, "usage: minisign_check_bench KEY.pub FILE.minisig FILE\n");
        return 2;
    }
    const auto contents = [](const char* path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    const Ed25519PublicKeyRead key = ReadEd25519PublicKey(contents(argv[1]));
    const MinisignSignatureRead signature = ReadMinisignSignature(contents(argv[2]));
    if (!key.ok || !signature.ok) {
        std::fprintf(stderr, "%s\n", key.ok ? signature.error.c_str() : key.error.c_str());
        return 2;
    }
    MinisignCheck check(signature.signature, {key.key});
    std::FILE* file = std::fopen(argv[3], "rb");
    if (file == nullptr) return 2;
    std::vector<char> piece(1 << 20);
    for (std::size_t got;
         check.WantsBytes() && (got = std::fread(piece.data(), 1, piece.size(), file)) > 0;) {
        check.Update(piece.data(), got);
    }
    std::fclose(file);
    const KeySignatureResult result = check.Finish();
    std::printf("%s\n", KeySignatureResultText(result).c_str());
    return KeySignatureExitCode(result);
}
