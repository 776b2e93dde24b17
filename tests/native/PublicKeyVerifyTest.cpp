// The public-key checks in both builds (OpenSSL natively; CNG and libgcrypt
// under Wine), one table of verdicts: RFC 8032's Ed25519 vectors and
// BLAKE2b's, then the RSA, ECDSA and Ed25519 cases that the `openssl` tool
// made for this run (tests/signature/make-key-cases.sh, named by
// SUMBROOK_SIGNATURE_CASES/key-cases.txt), each good as given and never good with any byte of
// its signature, digest or key flipped, nor with the faults listed below.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "hash/Hasher.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(std::string text) {
    if (text.size() % 2 != 0) text.insert(0, "0");
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

ByteView View(const Bytes& bytes) {
    return {bytes.data(), bytes.size()};
}

// RFC 8032 7.1: TEST 1, 2, 3 and SHA(abc).
struct Ed25519Vector {
    const char* key;
    const char* message;
    const char* signature;
};
const Ed25519Vector kEd25519Vectors[] = {
    {"d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b"
     "46b"
     "d25bf5f0595bbe24655141438e7a100b"},
    {"3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11"
     "d8c"
     "387b2eaeb4302aeeb00d291612bb0c00"},
    {"fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc"
     "659"
     "4a7c15e9716ed28dc027beceea1ec40a"},
    {"ec172b93ad5e563bf4932c70e1245034c35467ef2efd4d64ebf819683467e2bf",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fee"
     "bbd"
     "454d4423643ce80e2a9ac94fa54ca49f",
     "dc2a4459e7369633a52b1bf277839a00201009a3efbf3ecb69bea2186c26b58909351fc9ac90b3ecfdfbc7c66431e"
     "030"
     "3dca179c138ac17ad9bef1177331a704"},
};

// BLAKE2b-512 of "" and "abc" (RFC 7693 appendix A); the cases of the run
// add a longer message that `openssl dgst` hashed.
struct Blake2bVector {
    std::string text;
    std::string digest;
};
const Blake2bVector kBlake2bVectors[] = {
    {"",
     "786a02f742015903c6c6fd852552d272912f4740e15847618a86e217f71f5419d25e1031afee585313896444934eb"
     "04b"
     "903a685b1448b755d56f701afe9be2ce"},
    {"abc",
     "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc252d5de4533c"
     "c95"
     "18d38aa8dbf1925ab92386edd4009923"},
};

// The cases of this run, as make-key-cases.sh writes them.
std::vector<std::vector<std::string>> KeyCases() {
    const char* folder = std::getenv("SUMBROOK_SIGNATURE_CASES");
    std::vector<std::vector<std::string>> cases;
    if (folder == nullptr) return cases;
    std::ifstream file(std::string(folder) + "/key-cases.txt");
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        if (!words.empty()) cases.push_back(words);
    }
    return cases;
}

TEST(PublicKeyVerify, Ed25519Vectors) {
    for (const Ed25519Vector& vector : kEd25519Vectors) {
        const Bytes key = FromHex(vector.key);
        const Bytes message = FromHex(vector.message);
        Bytes signature = FromHex(vector.signature);
        EXPECT_TRUE(VerifyEd25519(View(key), View(message), View(signature))) << vector.key;
        // S + L, the same signature's other encoding, is refused (RFC 8032
        // 5.1.7: S must be below L); L little-endian:
        const Bytes order =
            FromHex("edd3f55c1a631258d69cf7a2def9de1400000000000000000000000000000010");
        unsigned carry = 0;
        for (std::size_t i = 0; i < 32; ++i) {
            carry += unsigned{signature[32 + i]} + order[i];
            signature[32 + i] = static_cast<std::uint8_t>(carry);
            carry >>= 8;
        }
        EXPECT_FALSE(VerifyEd25519(View(key), View(message), View(signature))) << vector.key;
    }
}

TEST(PublicKeyVerify, Blake2bVectors) {
    std::vector<Blake2bVector> vectors(std::begin(kBlake2bVectors), std::end(kBlake2bVectors));
    for (const auto& words : KeyCases()) {
        if (words[0] != "blake2b") continue;
        const Bytes message = FromHex(words[1]);
        vectors.push_back({std::string(message.begin(), message.end()), words[2]});
    }
    ASSERT_GT(vectors.size(), std::size(kBlake2bVectors)) << "no BLAKE2b case of the run";
    for (const Blake2bVector& vector : vectors) {
        const std::string& text = vector.text;
        // Whole, byte by byte, and in pieces across the 128-byte blocks.
        for (std::size_t piece :
             {text.size() + 1, std::size_t{1}, std::size_t{127}, std::size_t{129}}) {
            const std::unique_ptr<Hasher> hash = MakeHasher(DigestKind::kBlake2b);
            for (std::size_t at = 0; at < text.size(); at += piece) {
                hash->Update(text.data() + at, std::min(piece, text.size() - at));
            }
            EXPECT_EQ(hash->Finish().Text(), vector.digest)
                << text.size() << " bytes in pieces of " << piece;
        }
    }
}

// One case's parts; `check` verifies them as they stand.
struct Case {
    std::string kind;
    std::vector<Bytes> parts;  // the key's parts first, then the signed, then the signature's
    std::size_t keyParts;
};

bool Check(const Case& c, const std::string& option) {
    const auto& p = c.parts;
    if (c.kind == "rsa") {
        const SignatureHash hash = option == "sha256"   ? SignatureHash::kSha256
                                   : option == "sha384" ? SignatureHash::kSha384
                                                        : SignatureHash::kSha512;
        return VerifyRsaPkcs1(View(p[0]), View(p[1]), hash, View(p[2]), View(p[3]));
    }
    if (c.kind == "ecdsa") {
        const EcdsaCurve curve = option == "P-256" ? EcdsaCurve::kP256 : EcdsaCurve::kP384;
        return VerifyEcdsa(curve, View(p[0]), View(p[1]), View(p[2]), View(p[3]));
    }
    return VerifyEd25519(View(p[0]), View(p[1]), View(p[2]));
}

TEST(PublicKeyVerify, CasesOfThisRun) {
    const auto cases = KeyCases();
    ASSERT_GE(cases.size(), 7U)
        << "no cases in SUMBROOK_SIGNATURE_CASES/key-cases.txt (run make-key-cases.sh)";
    for (const auto& words : cases) {
        if (words[0] == "blake2b") continue;
        Case c{words[0], {}, 0};
        const bool keyed = c.kind != "ed25519";  // RSA's and ECDSA's second word is an option
        const std::string option = keyed ? words[1] : "";
        for (std::size_t i = keyed ? 2 : 1; i < words.size(); ++i)
            c.parts.push_back(FromHex(words[i]));
        c.keyParts = c.kind == "rsa" ? 2 : 1;
        const std::string name = words[0] + " " + option + " " + words.back().substr(0, 16);
        ASSERT_TRUE(Check(c, option)) << name;

        // Every byte of every part flipped in turn: never good.
        for (std::size_t part = 0; part < c.parts.size(); ++part) {
            // (RSA's exponent 65537 flipped in its first byte is still a key
            // for another exponent: still never good.)
            for (std::size_t i = 0; i < c.parts[part].size(); ++i) {
                Case flipped = c;
                flipped.parts[part][i] ^= 0x01;
                EXPECT_FALSE(Check(flipped, option)) << name << ": part " << part << " byte " << i;
            }
        }

        // The faults of each kind that a flipped byte does not make.
        std::vector<std::pair<std::string, Case>> faults;
        const auto fault = [&](const char* what, std::size_t part, Bytes bytes) {
            Case changed = c;
            changed.parts[part] = std::move(bytes);
            faults.emplace_back(what, changed);
        };
        const std::size_t signature = c.parts.size() - 1;
        Bytes longer = c.parts[signature];
        longer.insert(longer.begin(), 0x01);
        if (c.kind == "rsa") {
            fault("exponent zero", 1, {0});
            fault("exponent one", 1, {1});
            fault("even exponent", 1, {0x01, 0x00, 0x00});
            fault("no modulus", 0, {});
            fault("signature above the modulus", signature, longer);
            fault("signature of zero", signature, {0});
            fault("digest one byte short", 2, Bytes(c.parts[2].begin(), c.parts[2].end() - 1));
            EXPECT_FALSE(Check(c, option == "sha256" ? "sha384" : "sha256"))
                << name << ": another hash";
            Bytes wide = c.parts[signature];
            wide.insert(wide.begin(), 3, 0x00);
            ASSERT_TRUE(Check(Case{c.kind, {c.parts[0], c.parts[1], c.parts[2], wide}, 2}, option))
                << name << ": leading zeros are allowed";
        } else if (c.kind == "ecdsa") {
            Bytes compressed = c.parts[0];
            compressed.resize(1 + (compressed.size() - 1) / 2);
            compressed[0] = static_cast<std::uint8_t>(2 + (c.parts[0].back() & 1));
            fault("compressed point", 0, compressed);
            fault("point at infinity", 0, {0});
            fault("r zero", 2, {0});
            fault("s zero", 3, {0});
            fault("r too long", 2, longer);
            fault("r and s swapped", 2, c.parts[3]);
            EXPECT_FALSE(Check(c, option == "P-256" ? "P-384" : "P-256"))
                << name << ": another curve";
        } else {
            fault("key one byte short", 0, Bytes(c.parts[0].begin() + 1, c.parts[0].end()));
            fault("signature one byte long", signature, longer);
            fault("message one byte long", 1, [&] {
                Bytes more = c.parts[1];
                more.push_back(0);
                return more;
            }());
        }
        for (const auto& [what, changed] : faults)
            EXPECT_FALSE(Check(changed, option)) << name << ": " << what;
    }
}

}  // namespace
}  // namespace sumbrook
