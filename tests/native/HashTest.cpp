// Every kind of digest against published answers, in both builds (OpenSSL
// natively, CNG and libgcrypt under Wine, the same table), pieces against
// one shot, and the names and texts of digests.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hash/DigestSet.h"
#include "hash/Hasher.h"

namespace sumbrook {
namespace {

enum class Input { kEmpty, kAbc, k448Bits, kMillionA, kPattern200, kPattern102400 };

std::string Bytes(Input input) {
    switch (input) {
        case Input::kEmpty:
            return "";
        case Input::kAbc:
            return "abc";
        case Input::k448Bits:
            return "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
        case Input::kMillionA:
            return std::string(1000000, 'a');
        default: {
            // BLAKE3's official test input: byte i is i mod 251.
            std::string bytes(input == Input::kPattern200 ? 200 : 102400, '\0');
            for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
            return bytes;
        }
    }
}

struct Answer {
    DigestKind kind;
    Input input;
    const char* text;
};

using K = DigestKind;
using I = Input;
// MD5: RFC 1321 and the million-'a' value of its errata; SHA: FIPS 180,
// FIPS 202 and NIST's examples; BLAKE2b: RFC 7693's "abc", the rest
// printed by b2sum and cksum -a blake2b -l 256 (coreutils 9.1); BLAKE3: its official vectors (""
// and 102400 bytes), the rest printed by b3sum 1.2.0; XXH3-64, XXH128 and XXH64 printed by xxhsum
// 0.8.1 (-H3, -H2, -H1); CRC-32 as zlib computes it.
const Answer kAnswers[] = {
    {K::kCrc32, I::kEmpty, "00000000"},
    {K::kCrc32, I::kAbc, "352441C2"},
    {K::kCrc32, I::k448Bits, "171A3F5F"},
    {K::kCrc32, I::kMillionA, "DC25BFBC"},
    {K::kMd5, I::kEmpty, "d41d8cd98f00b204e9800998ecf8427e"},
    {K::kMd5, I::kAbc, "900150983cd24fb0d6963f7d28e17f72"},
    {K::kMd5, I::k448Bits, "8215ef0796a20bcaaae116d3876c664a"},
    {K::kMd5, I::kMillionA, "7707d6ae4e027c70eea2a935c2296f21"},
    {K::kSha1, I::kEmpty, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {K::kSha1, I::kAbc, "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {K::kSha1, I::k448Bits, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {K::kSha1, I::kMillionA, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    {K::kSha256, I::kEmpty, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {K::kSha256, I::kAbc, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {K::kSha256, I::k448Bits, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {K::kSha256, I::kMillionA, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    {K::kSha384, I::kEmpty,
     "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f14898b"
     "95b"},
    {K::kSha384, I::kAbc,
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c82"
     "5a7"},
    {K::kSha384, I::k448Bits,
     "3391fdddfc8dc7393707a65b1b4709397cf8b1d162af05abfe8f450de5f36bc6b0455a8520bc4e6f5fe95b1fe3c84"
     "52b"},
    {K::kSha384, I::kMillionA,
     "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd87f3d8"
     "985"},
    {K::kSha512, I::kEmpty,
     "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
     "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e"},
    {K::kSha512, I::kAbc,
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
     "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    {K::kSha512, I::k448Bits,
     "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c335"
     "96fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd70354ec631238ca3445"},
    {K::kSha512, I::kMillionA,
     "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
     "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
    {K::kBlake3, I::kEmpty, "af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"},
    {K::kBlake3, I::kAbc, "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85"},
    {K::kBlake3, I::k448Bits, "c19012cc2aaf0dc3d8e5c45a1b79114d2df42abb2a410bf54be09e891af06ff8"},
    {K::kBlake3, I::kMillionA, "616f575a1b58d4c9797d4217b9730ae5e6eb319d76edef6549b46f4efe31ff8b"},
    {K::kBlake3, I::kPattern102400,
     "bc3e3d41a1146b069abffad3c0d44860cf664390afce4d9661f7902e7943e085"},
    {K::kXxh3, I::kEmpty, "2d06800538d394c2"},
    {K::kXxh3, I::kAbc, "78af5f94892f3950"},
    {K::kXxh3, I::k448Bits, "5bbcbbabcdcc3d3f"},
    {K::kXxh3, I::kMillionA, "b1fd6fae5285c4eb"},
    {K::kXxh3, I::kPattern200, "f42a8864feaf0703"},
    {K::kXxh128, I::kEmpty, "99aa06d3014798d86001c324468d497f"},
    {K::kXxh128, I::kAbc, "06b05ab6733a618578af5f94892f3950"},
    {K::kXxh128, I::k448Bits, "3d62d22a5169b016c0d894fd4828a1a7"},
    {K::kXxh128, I::kMillionA, "a545df8e384a9579b1fd6fae5285c4eb"},
    {K::kXxh128, I::kPattern200, "cb0395310643ba0edd97e9af3609d9f5"},
    {K::kXxh64, I::kEmpty, "ef46db3751d8e999"},
    {K::kXxh64, I::kAbc, "44bc2cf5ad770999"},
    {K::kXxh64, I::k448Bits, "f06103773e8585df"},
    {K::kXxh64, I::kMillionA, "dc483aaa9b4fdc40"},
    {K::kXxh64, I::kPattern200, "50dc1079b99e879c"},
    {K::kSha3_256, I::kEmpty, "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"},
    {K::kSha3_256, I::kAbc, "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
    {K::kSha3_256, I::k448Bits, "41c0dba2a9d6240849100376a8235e2c82e1b9998a999e21db32dd97496d3376"},
    {K::kSha3_256, I::kMillionA,
     "5c8875ae474a3634ba4fd55ec85bffd661f32aca75c6d699d0cdcb6c115891c1"},
    {K::kSha224, I::kEmpty, "d14a028c2a3a2bc9476102bb288234c415a2b01f828ea62ac5b3e42f"},
    {K::kSha224, I::kAbc, "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
    {K::kSha224, I::k448Bits, "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525"},
    {K::kSha224, I::kMillionA, "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67"},
    {K::kSha3_512, I::kEmpty,
     "a69f73cca23a9ac5c8b567dc185a756e97c982164fe25859e0d1dcc1475c80a6"
     "15b2123af1f5f94c11e3e9402c3ac558f500199d95b6d3e301758586281dcd26"},
    {K::kSha3_512, I::kAbc,
     "b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e"
     "10e116e9192af3c91a7ec57647e3934057340b4cf408d5a56592f8274eec53f0"},
    {K::kSha3_512, I::kMillionA,
     "3c3a876da14034ab60627c077bb98f7e120a2a5370212dffb3385a18d4f38859"
     "ed311d0a9d5141ce9cc5c66ee689b266a8aa18ace8282a0e0db596c90b0a7b87"},
    {K::kBlake2b, I::kEmpty,
     "786a02f742015903c6c6fd852552d272912f4740e15847618a86e217f71f5419"
     "d25e1031afee585313896444934eb04b903a685b1448b755d56f701afe9be2ce"},
    {K::kBlake2b, I::kAbc,
     "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
     "7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923"},
    {K::kBlake2b, I::kMillionA,
     "98fb3efb7206fd19ebf69b6f312cf7b64e3b94dbe1a17107913975a793f177e1"
     "d077609d7fba363cbba00d05f7aa4e4fa8715d6428104c0a75643b0ff3fd3eaf"},
    {K::kBlake2b256, I::kEmpty, "0e5751c026e543b2e8ab2eb06099daa1d1e5df47778f7787faab45cdf12fe3a8"},
    {K::kBlake2b256, I::kAbc, "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319"},
    {K::kBlake2b256, I::kMillionA,
     "0741850f36cba4259628355d1073e24ddb9ca0e1bfac36fd39ae5dc2101e23a4"},
};

std::vector<DigestKind> AllKinds() {
    std::vector<DigestKind> kinds;
    for (std::size_t i = 0; i < kDigestKindCount; ++i) kinds.push_back(static_cast<DigestKind>(i));
    return kinds;
}

std::string Upper(std::string text) {
    for (char& c : text) c = (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

TEST(Hasher, EveryKindGivesThePublishedAnswersAndTheirTextParsesBack) {
    for (const Answer& answer : kAnswers) {
        SCOPED_TRACE(std::string(DigestKindName(answer.kind)) + " of input " +
                     std::to_string(static_cast<int>(answer.input)));
        const std::string bytes = Bytes(answer.input);
        const auto hasher = MakeHasher(answer.kind);
        hasher->Update(bytes.data(), bytes.size());
        const Digest digest = hasher->Finish();
        EXPECT_EQ(digest.Kind(), answer.kind);
        EXPECT_EQ(digest.Text(), answer.text);
        hasher->Reset();
        hasher->Update(bytes.data(), bytes.size());
        EXPECT_EQ(hasher->Finish(), digest) << "after Reset";

        EXPECT_EQ(Digest::Parse(answer.kind, answer.text), digest);
        EXPECT_EQ(Digest::Parse(answer.kind, " " + Upper(answer.text) + "\t"), digest);
        EXPECT_FALSE(Digest::Parse(answer.kind, std::string(answer.text) + "0"));
        EXPECT_FALSE(Digest::Parse(answer.kind, std::string(answer.text).substr(2)));
    }
}

TEST(Hasher, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
    std::vector<unsigned char> bytes(3 * 1024 * 1024 + 17);
    std::mt19937 random(251);
    for (auto& byte : bytes) byte = static_cast<unsigned char>(random());
    const std::size_t sizes[] = {1, 7, 64, 63, 65, 1024, 4096 + 3, 1024 * 1024 + 1, 200};

    DigestSet all(AllKinds());
    all.Update(bytes.data(), bytes.size());
    const std::vector<Digest> fromSet = all.Finish();
    ASSERT_EQ(fromSet.size(), kDigestKindCount);
    // Shared out among threads, in pieces, and again after a Reset.
    for (const unsigned threads : {2U, 3U, 64U}) {
        DigestSet shared(AllKinds(), threads);
        for (int round = 0; round < 2; ++round) {
            std::size_t done = 0;
            for (std::size_t i = 0; done < bytes.size(); ++i) {
                const std::size_t size = std::min(sizes[i % std::size(sizes)], bytes.size() - done);
                shared.Update(bytes.data() + done, size);
                done += size;
            }
            EXPECT_EQ(shared.Finish(), fromSet) << threads << " threads, round " << round;
            shared.Reset();
        }
    }
    for (const DigestKind kind : AllKinds()) {
        SCOPED_TRACE(DigestKindName(kind));
        const auto whole = MakeHasher(kind);
        whole->Update(bytes.data(), bytes.size());
        const Digest expected = whole->Finish();
        EXPECT_EQ(fromSet[static_cast<std::size_t>(kind)], expected) << "one read, every kind";

        const auto pieces = MakeHasher(kind);
        std::size_t done = 0;
        for (std::size_t i = 0; done < bytes.size(); ++i) {
            const std::size_t size = std::min(sizes[i % std::size(sizes)], bytes.size() - done);
            pieces->Update(bytes.data() + done, size);
            done += size;
        }
        EXPECT_EQ(pieces->Finish(), expected);
    }
}

// Helpers as a run hands them out: all that are asked, or every other time
// none (the hasher then hashes that piece alone).
class TestAllowance final : public HelperAllowance {
  public:
    explicit TestAllowance(bool everyOther) : everyOther_(everyOther) {}
    unsigned Take(unsigned wanted) override {
        return everyOther_ && (asked_++ % 2 == 1) ? 0 : wanted;
    }
    void Give(unsigned /*count*/) override {}

  private:
    bool everyOther_;
    unsigned asked_ = 0;
};

// BLAKE3 shared among threads, for sizes about the chunk (1 KiB) and the
// shared-subtree (64 KiB) bounds, every split and helper count: the digest of
// the official hasher fed in one call.
TEST(Blake3Helpers, EverySplitAndThreadCountGivesTheOneThreadDigest) {
    const std::size_t sizes[] = {0,
                                 1023,
                                 1024,
                                 1025,
                                 65535,
                                 65536,
                                 65537,
                                 65536 + 1024,
                                 131072 + 1023,
                                 1U << 20,
                                 (1U << 20) + 1,
                                 (2U << 20) + 3 * 1024 + 5,
                                 (8U << 20) + 1024 + 7};
    const std::size_t splits[] = {1000, 65536, 65536 + 1024, (1U << 20) - 1, 3U << 20, 16U << 20};
    for (const std::size_t size : sizes) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
        const auto whole = MakeHasher(DigestKind::kBlake3);
        whole->Update(bytes.data(), bytes.size());
        const Digest expected = whole->Finish();
        for (const std::size_t split : splits) {
            for (const unsigned helpers : {1U, 3U}) {
                for (const bool everyOther : {false, true}) {
                    TestAllowance allowance(everyOther);
                    const auto shared = MakeHasher(DigestKind::kBlake3);
                    shared->AllowHelpers(&allowance, helpers);
                    for (std::size_t done = 0; done < size; done += split) {
                        shared->Update(bytes.data() + done, std::min(split, size - done));
                    }
                    EXPECT_EQ(shared->Finish(), expected)
                        << size << " bytes in pieces of " << split << ", " << helpers << " helpers"
                        << (everyOther ? ", every other piece alone" : "");
                }
            }
        }
    }
}

TEST(DigestKind, EachNameAndItsSpellingsGiveTheKindBack) {
    for (const DigestKind kind : AllKinds()) {
        const std::string name = DigestKindName(kind);
        const std::string option = DigestKindOption(kind);
        EXPECT_EQ(DigestKindFromName(name), kind) << name;
        EXPECT_EQ(DigestKindFromName(option), kind) << option;
        EXPECT_EQ(DigestKindFromName(Upper(option)), kind) << option;
        EXPECT_EQ(MakeHasher(kind)->Finish().Size(), DigestSize(kind)) << name;
    }
    EXPECT_EQ(DigestKindFromName("Sha-256"), DigestKind::kSha256);
    EXPECT_EQ(DigestKindFromName("XXH3-64"), DigestKind::kXxh3);
    EXPECT_FALSE(DigestKindFromName("sha3"));
    EXPECT_FALSE(DigestKindFromName(""));
}

}  // namespace
}  // namespace sumbrook
