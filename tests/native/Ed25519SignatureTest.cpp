// minisign's and signify's signatures in both builds, on keys, files and
// signatures that the tools themselves made for this run
// (tests/signature/make-ed25519-cases.sh, its folder named by
// SUMBROOK_SIGNATURE_CASES/ed25519): each case's verdict as the table there says and
// as the tool's own check says (but the files above the unhashed forms'
// limit, refused on purpose), every byte of a good signature or key
// flipped never good, and the malformed files refused with their reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "signature/Ed25519PublicKey.h"
#include "signature/KeySignatureFile.h"
#include "signature/MinisignSignature.h"
#include "signature/SignifySignature.h"

namespace sumbrook {
namespace {

using Verdict = KeySignatureResult::Verdict;

std::string Folder() {
    const char* folder = std::getenv("SUMBROOK_SIGNATURE_CASES");
    return folder == nullptr ? std::string() : std::string(folder) + "/ed25519/";
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Checked {
    KeySignatureResult result;
    std::string signedText;  // signify's embedded message, once good
};

// One check as a program makes it: the key and the signature from their
// texts, the file read in pieces of an odd size for as long as it counts.
template <typename Check>
void Feed(Check& check, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> piece((1 << 20) + 7);
    while (check.WantsBytes() &&
           file.read(piece.data(), static_cast<std::streamsize>(piece.size())).gcount() > 0) {
        check.Update(piece.data(), static_cast<std::size_t>(file.gcount()));
    }
}

// As a front end checks: the key and the signature file told apart by
// their content.
Checked Verify(const std::string& format, const std::string& keyText,
               const std::string& signatureText, const std::string& path) {
    Checked checked;
    const Ed25519PublicKeyRead key = ReadEd25519PublicKey(keyText);
    if (!key.ok) {
        checked.result.reason = key.error;
        return checked;
    }
    EXPECT_TRUE(IsKeySignatureFile(signatureText) || !LooksLikeMinisignSignature(signatureText));
    if (IsEmbeddedSignify(signatureText) != (format == "signify-embedded")) {
        checked.result.reason = "not of the form asked";
        return checked;
    }
    if (format == "signify-embedded") {
        checked.result = CheckEmbeddedSignify(signatureText, {key.key}, checked.signedText);
        return checked;
    }
    DetachedKeySignatureCheck check(signatureText, {key.key});
    Feed(check, path);
    checked.result = check.Finish();
    return checked;
}

struct ToolCase {
    std::string format, key, signature, file, expected;
    int tool = -1;
};

std::vector<ToolCase> ToolCases() {
    std::vector<ToolCase> cases;
    std::istringstream lines(Contents(Folder() + "cases"));
    for (ToolCase c; lines >> c.format >> c.key >> c.signature >> c.file >> c.tool >> c.expected;) {
        cases.push_back(c);
    }
    return cases;
}

const char* Name(Verdict verdict) {
    switch (verdict) {
        case Verdict::kGood:
            return "good";
        case Verdict::kBad:
            return "bad";
        case Verdict::kUnknownKey:
            return "unknown";
        case Verdict::kRefused:
            return "refused";
    }
    return "?";
}

TEST(Ed25519Signatures, MadeByTheTools) {
    const auto cases = ToolCases();
    ASSERT_GE(cases.size(), 16U) << "no cases in " << Folder() << " (run make-ed25519-cases.sh)";
    const std::string dir = Folder();
    for (const ToolCase& c : cases) {
        const std::string name = c.format + " " + c.key + " " + c.signature + " " + c.file;
        const std::string signatureText = Contents(dir + c.signature);
        const Checked checked =
            Verify(c.format, Contents(dir + c.key), signatureText, dir + c.file);
        EXPECT_EQ(Name(checked.result.verdict), c.expected)
            << name << ": " << checked.result.reason;
        if (c.expected != "refused") {
            EXPECT_EQ(c.tool == 0, c.expected == "good") << name << ": the tool differs";
        }
        EXPECT_EQ(checked.result.reason.empty(), c.expected == "good") << name;
        // The line printed and the exit code, as gpgv's go.
        const std::string line = KeySignatureResultText(checked.result);
        const std::string start = c.expected == "good"      ? "Good "
                                  : c.expected == "bad"     ? "BAD "
                                  : c.expected == "unknown" ? "Signed by a "
                                                            : c.format.substr(0, 7);
        EXPECT_EQ(line.rfind(start, 0), 0U) << line;
        EXPECT_EQ(KeySignatureExitCode(checked.result), c.expected == "good"  ? 0
                                                        : c.expected == "bad" ? 1
                                                                              : 2);
        EXPECT_EQ(LooksLikeMinisignSignature(signatureText), c.format == "minisign") << name;
        EXPECT_EQ(LooksLikeSignifySignature(signatureText), c.format != "minisign") << name;
        if (checked.result.verdict != Verdict::kGood) continue;
        // The key named is the base64 line as the tool wrote it.
        std::string keyText = Contents(dir + c.key);
        keyText.erase(keyText.find_last_not_of('\n') + 1);
        EXPECT_EQ(checked.result.publicKey, keyText.substr(keyText.rfind('\n') + 1)) << name;
        if (c.signature == "small.minisig") {
            EXPECT_EQ(checked.result.trustedComment, "release 1.0\tbuilt by the publisher") << name;
        }
        if (c.format == "signify-embedded") {
            EXPECT_EQ(checked.signedText, Contents(dir + "SHA256")) << name;
        }
    }
}

// Every byte of each good case's signature and key flipped in turn: never
// good. The untrusted comments' texts are left alone: they are not signed,
// and a changed one changes nothing.
TEST(Ed25519Signatures, NoFlippedByteIsGood) {
    const std::string dir = Folder();
    int flips = 0;
    for (const ToolCase& c : ToolCases()) {
        if (c.expected != "good" || c.file == "big") continue;
        const std::string texts[2] = {Contents(dir + c.signature), Contents(dir + c.key)};
        for (int which = 0; which < 2; ++which) {
            const std::string& text = texts[which];
            const bool commented = text.rfind("untrusted comment: ", 0) == 0;
            const std::size_t commentEnd = commented ? text.find('\n') : 0;
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (commented && i >= 19 && i < commentEnd) continue;
                std::string flipped = text;
                flipped[i] = static_cast<char>(flipped[i] ^ 0x01);
                const Checked checked = which == 0
                                            ? Verify(c.format, texts[1], flipped, dir + c.file)
                                            : Verify(c.format, flipped, texts[0], dir + c.file);
                EXPECT_NE(checked.result.verdict, Verdict::kGood)
                    << c.signature << " with " << c.key << ": byte " << i << " of the "
                    << (which ? "key" : "signature");
                ++flips;
            }
        }
    }
    EXPECT_GT(flips, 1000);
}

// Malformed keys and signatures, each refused with its reason.
TEST(Ed25519Signatures, MalformedFilesAreRefused) {
    const std::string dir = Folder();
    const std::string line = Contents(dir + "a.line").substr(0, 56);
    const std::string minisig = Contents(dir + "small.minisig");
    // The signature's base64 with one of the two bits past its 74 bytes set.
    std::string loose = minisig;
    const std::size_t last = loose.find('=') - 1;
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    loose[last] = kAlphabet[kAlphabet.find(loose[last]) ^ 1];
    struct Malformed {
        std::string key;
        std::string signature;  // a minisign one
        const char* reason;
    };
    const Malformed table[] = {
        {"", minisig, "nor a key's base64 line"},
        {Contents(dir + "a.key"), minisig, "secret key"},
        {Contents(dir + "s.sec"), minisig, "secret key"},
        {"untrusted comment: " + std::string(1025, 'x') + "\n" + line + "\n", minisig,
         "longer than 1024"},
        {"untrusted comment: key\n" + line + "\nmore\n", minisig, "more text follows the key"},
        {line, loose, "not the base64 of 74 bytes"},
        {line, minisig + "more\n", "more text follows it"},
        {line, minisig.substr(0, minisig.rfind("trusted comment")), "trusted comment"},
        {line, "untrusted comment: x", "ends after its comment"},
    };
    for (const Malformed& m : table) {
        const Checked checked = Verify("minisign", m.key, m.signature, dir + "small");
        EXPECT_EQ(checked.result.verdict, Verdict::kRefused) << m.reason;
        EXPECT_NE(checked.result.reason.find(m.reason), std::string::npos)
            << m.reason << ": " << checked.result.reason;
    }
}

}  // namespace
}  // namespace sumbrook
