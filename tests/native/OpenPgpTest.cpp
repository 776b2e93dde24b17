// The OpenPGP readers and the policy on tables of cases: armour, packet
// headers, the clear-signed frame; certificates and signatures of the test
// data that the installed sequoia-openpgp crate ships (read where Debian
// puts it, never copied here); a Debian InRelease kept here, with the
// archive's keyring, at a fixed "now".
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lists/ClearSignedFrame.h"
#include "signature/Armour.h"
#include "signature/Certificate.h"
#include "signature/OpenPgpPacket.h"
#include "verify/SignedFile.h"

namespace sumbrook {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct ArmourCase {
    std::string text;
    std::string error;  // empty: read, giving `bytes`
    std::string bytes;
};

TEST(Armour, ReadsAndRefuses) {
    const std::string begin = "-----BEGIN PGP SIGNATURE-----\n";
    const std::string end = "-----END PGP SIGNATURE-----\n";
    const std::vector<ArmourCase> cases = {
        {"text before\n" + begin + "Comment: x\n\nYWJj\n=" +
             WriteArmour("X", {}, "abc").substr(25, 4) + "\n" + end + "after\n",
         "", "abc"},
        {begin + "YWJj\n" + end, "", "abc"},  // no blank line, no checksum
        {begin + "\nYWJj\n=AAAA\n" + end, "checksum does not match", ""},
        {begin + "\nYW*j\n" + end, "not base64", ""},
        {begin + "\nYWI=\n" + end, "", "ab"},
        {begin + "\nYWJ=\n" + end, "not base64", ""},  // stray bits in the last digit
        {begin + "\nYWJj\n", "does not end", ""},
        {begin + "\nYWJj\n-----END PGP MESSAGE-----\n", "another label", ""},
        {begin + "Comment:x\n\nYWJj\n" + end, "not \"Name: value\"", ""},
        {WriteArmour("PGP SIGNATURE", {{"Label", "l"}}, std::string(100, '\xAA')), "",
         std::string(100, '\xAA')},
    };
    for (const ArmourCase& c : cases) {
        const ArmourRead read = ReadArmour(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read.ok, c.error.empty()) << read.error;
        if (c.error.empty()) {
            ASSERT_EQ(read.blocks.size(), 1U);
            EXPECT_EQ(read.blocks[0].bytes, c.bytes);
        } else {
            EXPECT_NE(read.error.find(c.error), std::string::npos) << read.error;
        }
    }
}

struct PacketCase {
    std::string bytes;
    std::vector<std::pair<int, std::size_t>> packets;  // tag and body length
    std::string error;
};

TEST(OpenPgpPackets, HeadersAndLengths) {
    const std::string big(600, 'x');
    const std::vector<PacketCase> cases = {
        {std::string("\x88\x02", 2) + "ab", {{2, 2}}, ""},      // old, 1-byte length
        {std::string("\x89\x00\x02", 3) + "ab", {{2, 2}}, ""},  // old, 2-byte length
        {std::string("\xC2\x02", 2) + "ab" + std::string("\xCD\x00", 2), {{2, 2}, {13, 0}}, ""},
        {std::string("\xC2\xC0\x08", 3) + big.substr(0, 200), {{2, 200}}, ""},  // 2-byte: 192+8
        {std::string("\xC2\xFF\x00\x00\x00\x03", 6) + "abc", {{2, 3}}, ""},
        {std::string("\xCB\xE9", 2) + big.substr(0, 512) + "\x05" + "abcde", {{11, 517}}, ""},
        {std::string("\xC2\xE9", 2) + big.substr(0, 512) + "\x05" + "abcde", {}, "partial"},
        {std::string("\xCB\xE1", 2) + "ab" + std::string(1, '\0'), {}, "under 512"},
        {std::string("\xC2\x05", 2) + "ab", {}, "longer than"},
        {std::string("\xC2\xFF\x00", 3), {}, "cut off"},
        {std::string("\x42\x00", 2), {}, "first bit"},
        {std::string("\xAF", 1) + "data to the end", {{11, 15}}, ""},  // old, type 3, literal
        {std::string("\x8B", 1), {}, "no length"},                     // old, type 3, signature
    };
    for (const PacketCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 8)));
        OpenPgpPacketReader reader(c.bytes);
        OpenPgpPacket packet;
        std::string error;
        std::vector<std::pair<int, std::size_t>> read;
        OpenPgpPacketReader::Step step;
        while ((step = reader.Next(packet, error)) == OpenPgpPacketReader::Step::kPacket) {
            read.emplace_back(packet.tag, packet.body.size());
        }
        if (c.error.empty()) {
            EXPECT_EQ(step, OpenPgpPacketReader::Step::kEnd) << error;
            EXPECT_EQ(read, c.packets);
        } else {
            EXPECT_EQ(step, OpenPgpPacketReader::Step::kError);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

struct FrameCase {
    std::string text;
    std::size_t line;   // the refused line; 0: read
    std::string found;  // the error, or the signed text
};

TEST(ClearSignedFrame, SplitsAndRefuses) {
    const std::string start = "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n";
    const std::string signature =
        "-----BEGIN PGP SIGNATURE-----\n\nYWJj\n-----END PGP SIGNATURE-----\n";
    const std::vector<FrameCase> cases = {
        {start + "a  \r\n- -dash\t\n- plain\n\nz\n" + signature + "\n", 0,
         "a\r\n-dash\r\nplain\r\n\r\nz"},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256,SHA512\n\nx\n" + signature, 0, "x"},
        {"intro\n" + start + "x\n" + signature, 1, "text before"},
        {start + "x\n" + signature + "after\n", 9, "text after"},
        {start + "x\n" + signature + start + "y\n" + signature, 9, "second signed"},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\nComment: hi\n\nx\n" + signature, 3,
         "is not signed"},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: sha256\n\nx\n" + signature, 2, "is not signed"},
        {start + "-not escaped\n" + signature, 4, "not dash-escaped"},
        {start + "x\n", 0, "without its signature"},
        {start + "x\n-----BEGIN PGP SIGNATURE-----\n", 0, "inside its signature"},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.text);
        const ClearSignedRead read = SplitClearSigned(c.text);
        if (c.line == 0 && read.ok) {
            EXPECT_EQ(read.parts.text, c.found);
            EXPECT_EQ(read.parts.signature, signature);
        } else {
            EXPECT_FALSE(read.ok);
            EXPECT_EQ(read.line == 0 ? 0 : read.line, c.line == 0 ? read.line : c.line);
            EXPECT_NE(read.error.find(c.found), std::string::npos) << read.error;
        }
    }
}

// Debian's bookworm-security InRelease of 2026-12-07, signed by two RSA-4096
// subkeys of the archive's keyring.
constexpr std::uint32_t kInReleaseNow = 1796688000;  // 2026-12-08 00:00 UTC

struct InReleaseCase {
    std::uint32_t now;
    std::ptrdiff_t flip;  // a byte of the text changed; -1: none
    int exitCode;
    SignatureResult::Verdict verdict;
};

TEST(DebianInRelease, VerifiesWithTheArchiveKeyring) {
    const std::string keyring = "/usr/share/keyrings/debian-archive-keyring.gpg";
    if (Read(keyring).empty()) GTEST_SKIP() << keyring << " is not installed";
    const std::string original =
        Read(std::string(SUMBROOK_SIGNATURE_DATA) + "/bookworm-security-InRelease");
    const std::vector<InReleaseCase> cases = {
        {kInReleaseNow, -1, 0, SignatureResult::Verdict::kGood},
        {kInReleaseNow - 2 * 86400, -1, 2,
         SignatureResult::Verdict::kRefused},  // made "in the future"
        {kInReleaseNow, 200, 1, SignatureResult::Verdict::kBad},
        {kInReleaseNow, 20000, 1, SignatureResult::Verdict::kBad},
    };
    const std::string path = testing::TempDir() + "/InRelease";
    for (const InReleaseCase& c : cases) {
        std::string text = original;
        if (c.flip >= 0) text[static_cast<std::size_t>(c.flip)] ^= 0x20;
        std::ofstream(path, std::ios::binary) << text;
        const TrustedKeys keys = LoadTrustedKeys({keyring}, {}, "", c.now);
        ASSERT_EQ(keys.error, "");
        const SignedFileOutcome outcome = CheckSignedFile(path, "", keys, c.now);
        ASSERT_EQ(outcome.error, "");
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        ASSERT_EQ(outcome.results.size(), 2U);
        for (const SignatureResult& result : outcome.results) {
            EXPECT_EQ(result.verdict, c.verdict) << SignatureResultText(result);
            EXPECT_EQ(result.algorithm, "RSA-4096");
            EXPECT_FALSE(result.subkeyFingerprint.empty());
        }
    }
}

const std::string kSequoia = "/usr/share/cargo/registry/sequoia-openpgp-1.12.0/tests/data/";

struct SequoiaCase {
    std::string data;       // under messages/
    std::string signature;  // under messages/; empty: `data` is clear-signed
    std::string key;        // under keys/
    int exitCode;
    std::string says;  // in the first result's text
};

TEST(SequoiaData, SignaturesAsThePolicySays) {
    if (Read(kSequoia + "messages/a-cypherpunks-manifesto.txt").empty()) {
        GTEST_SKIP() << "librust-sequoia-openpgp-dev is not installed";
    }
    const std::string manifesto = "a-cypherpunks-manifesto.txt";
    const std::string emmelie = "emmelie-dorothea-dina-samantha-awina-ed25519.pgp";
    const std::vector<SequoiaCase> cases = {
        {manifesto, manifesto + ".ed25519.sig", emmelie, 0, "Ed25519, SHA-512"},
        {manifesto, manifesto + ".ed25519.sig.duplicated", emmelie, 0, "Good"},
        {manifesto, manifesto + ".ed25519.sig.two-keys", emmelie, 0, "subkey"},
        {manifesto, manifesto + ".dennis-simon-anton-v3.sig", "dennis-simon-anton.pgp", 2,
         "version 3"},
        {"shattered-1.pdf", "shattered-1.pdf.sig", "sha-mbles.alice.asc", 2, "SHA-1"},
        {"shattered-2.pdf", "shattered-1.pdf.sig", "sha-mbles.alice.asc", 2, "SHA-1"},
        {manifesto + ".cleartext.sig", "", "testy-new.pgp", 0, "Good"},
        {"a-problematic-poem.txt.cleartext.sig", "", "testy-new.pgp", 0, "Good"},
        {"a-problematic-poem.txt.cleartext.sig", "", "testy.pgp", 2, "not added"},
        {"InRelease", "", "InRelease.signers.pgp", 0, "RSA-4096"},
    };
    const std::uint32_t now = SecondsNow();
    for (const SequoiaCase& c : cases) {
        SCOPED_TRACE(c.data + " " + c.signature);
        const TrustedKeys keys = LoadTrustedKeys({kSequoia + "keys/" + c.key}, {}, "", now);
        ASSERT_EQ(keys.error, "");
        const SignedFileOutcome outcome = CheckSignedFile(
            kSequoia + "messages/" + c.data,
            c.signature.empty() ? "" : kSequoia + "messages/" + c.signature, keys, now);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.error;
        const std::string text =
            outcome.results.empty() ? outcome.error : SignatureResultText(outcome.results[0]);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
    // A signature whose numbers are damaged is no signature.
    const TrustedKeys keys = LoadTrustedKeys({kSequoia + "keys/testy-new.pgp"}, {}, "", now);
    const SignedFileOutcome broken =
        CheckSignedFile(kSequoia + "messages/" + manifesto,
                        kSequoia + "messages/signature-with-broken-mpis.sig", keys, now);
    EXPECT_EQ(broken.exitCode, 2);
}

// The armour variants of the sequoia data: each one read gives the bytes
// of its .bin; the variants that bend the form (no begin line, one line,
// quoted in a mail, dashes changed, a wrong checksum or end line) are
// refused rather than guessed at.
TEST(SequoiaData, ArmourVariants) {
    const std::string armor = kSequoia + "armor/";
    if (Read(armor + "test-0.asc").empty())
        GTEST_SKIP() << "librust-sequoia-openpgp-dev is not installed";
    // The first three are read ("=" for the plain .asc), the rest refused.
    std::istringstream names(
        "= .no-crc .with-headers .bad-crc .bad-footer .no-dashes .unbalanced-dashes "
        ".unicode-dashes .with-headers-quoted -no-header -no-newlines");
    std::vector<std::string> variants;
    for (std::string name; names >> name;) variants.push_back(name == "=" ? "" : name);
    const std::size_t readable = 3;
    int read = 0;
    for (const std::string stem : {"test-", "literal-"}) {
        for (const int n : {0, 1, 2, 3, 47, 48, 49, 50, 51}) {
            const std::string bin = Read(armor + stem + std::to_string(n) + ".bin");
            for (std::size_t i = 0; i < variants.size(); ++i) {
                const std::string text =
                    Read(armor + stem + std::to_string(n) + variants[i] + ".asc");
                if (text.empty()) continue;
                SCOPED_TRACE(stem + std::to_string(n) + variants[i]);
                const ArmourRead armour = ReadArmour(text);
                ++read;
                // (Without its begin line, a text holds no armour at all.)
                EXPECT_EQ(armour.ok && !armour.blocks.empty(), i < readable) << armour.error;
                if (armour.ok && i < readable) {
                    ASSERT_EQ(armour.blocks.size(), 1U);
                    EXPECT_EQ(armour.blocks[0].bytes, bin);
                }
            }
        }
    }
    EXPECT_GT(read, 40);
}

struct CertificateCase {
    std::string key;  // under keys/
    bool usable;      // some key of it may sign
    bool hardRevoked;
    bool softRevoked;  // the primary key or a subkey
};

TEST(SequoiaData, CertificatesByTheirSelfSignatures) {
    if (Read(kSequoia + "keys/testy.pgp").empty())
        GTEST_SKIP() << "librust-sequoia-openpgp-dev is not installed";
    const std::vector<CertificateCase> cases = {
        {"really-revoked-cert-0-public.pgp", true, false, false},
        {"really-revoked-cert-1-soft-revocation.pgp", true, false, true},
        {"really-revoked-cert-2-new-self-sig.pgp", true, false, false},
        {"really-revoked-cert-3-hard-revocation.pgp", true, true, false},
        {"really-revoked-cert-4-new-self-sig.pgp", true, false, false},  // without the revocation
        {"really-revoked-subkey-1-soft-revocation.pgp", true, false, true},
        {"really-revoked-subkey-3-hard-revocation.pgp", true, true, false},
        {"testy-broken-no-sig-on-subkey.pgp", true, false, false},
        {"testy-broken-no-uid.pgp", false, false, false},
        {"peter-expired-backsig.pgp", false, false,
         false},  // certifies; its subkey's back-signature expired
        {"dsa2048-elgamal3072.pgp", false, false, false},
    };
    for (const CertificateCase& c : cases) {
        SCOPED_TRACE(c.key);
        const CertificatesRead read = ReadCertificates(Read(kSequoia + "keys/" + c.key));
        ASSERT_EQ(read.error, "");
        const CheckedCertificate checked = CheckCertificate(read.certificates.at(0), SecondsNow());
        bool usable = false;
        bool hard = false;
        bool soft = false;
        for (const SigningKey& key : checked.keys) {
            usable = usable || key.canSign;
            hard = hard || key.hardRevoked;
            soft = soft || key.softRevokedAt.has_value();
        }
        EXPECT_EQ(usable, c.usable) << checked.fault;
        EXPECT_EQ(hard, c.hardRevoked);
        EXPECT_EQ(soft, c.softRevoked);
    }
}

}  // namespace
}  // namespace sumbrook
