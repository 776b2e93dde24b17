// The one-file window's controller on real files, driven as the window
// drives it: every kind's digest of "abc" (published answers) pasted after
// the read and given before it, MATCH in the colour of what the kind can
// tell, another file's digest NO MATCH only once every kind of its length
// was compared; the name a pasted line gives; the exit codes; the
// clipboard's offer; a detached signature beside the file.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "PosixTestFiles.h"
#include "verifier/KeyAdding.h"
#include "verifier/KeyListing.h"
#include "verifier/OneFileController.h"
#include "verify/RunExitCode.h"
#include "verify/SignedFile.h"

namespace sumbrook {
namespace {

using test::TempDirectory;

class Driven {
  public:
    explicit Driven(const std::string& path)
        : controller_(path, [this] {
              std::lock_guard<std::mutex> lock(mutex_);
              woken_ = true;
              changed_.notify_all();
          }) {}

    OneFileController& Get() { return controller_; }

    // Takes until no read goes on; false after 20 s. Counts the reads.
    bool UntilEnd() {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (controller_.Running()) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                if (!changed_.wait_until(lock, limit, [this] { return woken_; })) return false;
                woken_ = false;
            }
            if (controller_.Take().ended) ++reads;
        }
        return true;
    }
    int reads = 0;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
    OneFileController controller_;
};

struct KindCase {
    DigestKind kind;
    const char* abc;     // the digest of "abc"
    const char* others;  // every kind of that length, as a mismatch names them
};

constexpr KindCase kKinds[] = {
    {DigestKind::kCrc32, "352441C2", "CRC-32"},
    {DigestKind::kMd5, "900150983cd24fb0d6963f7d28e17f72", "MD5 and XXH128"},
    {DigestKind::kSha1, "a9993e364706816aba3e25717850c26c9cd0d89d", "SHA-1"},
    {DigestKind::kSha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
     "SHA-256, BLAKE3, SHA3-256 and BLAKE2b-256"},
    {DigestKind::kSha384,
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c8"
     "25a7",
     "SHA-384"},
    {DigestKind::kSha512,
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fe"
     "ebbd454d4423643ce80e2a9ac94fa54ca49f",
     "SHA-512, BLAKE2b and SHA3-512"},
    {DigestKind::kBlake3, "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85",
     "SHA-256, BLAKE3, SHA3-256 and BLAKE2b-256"},
    {DigestKind::kXxh3, "78af5f94892f3950", "XXH64 and XXH3-64"},
    {DigestKind::kXxh128, "06b05ab6733a618578af5f94892f3950", "MD5 and XXH128"},
    {DigestKind::kXxh64, "44bc2cf5ad770999", "XXH64 and XXH3-64"},
    {DigestKind::kSha3_256, "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532",
     "SHA-256, BLAKE3, SHA3-256 and BLAKE2b-256"},
    {DigestKind::kSha224, "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7", "SHA-224"},
    {DigestKind::kSha3_512,
     "b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e10e116e9192af3c91a7ec57647e3"
     "934057340b4cf408d5a56592f8274eec53f0",
     "SHA-512, BLAKE2b and SHA3-512"},
    {DigestKind::kBlake2b,
     "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc252d5de4533"
     "cc9518d38aa8dbf1925ab92386edd4009923",
     "SHA-512, BLAKE2b and SHA3-512"},
    {DigestKind::kBlake2b256, "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319",
     "SHA-256, BLAKE3, SHA3-256 and BLAKE2b-256"},
};

TEST(OneFileControllerTest, EveryKindPastedMatchesItsFileAndNoOtherFile) {
    const TempDirectory dir;
    const std::string path = dir.Write("abc.txt", "abc");
    const std::string other = dir.Write("abd.txt", "abd");
    for (const KindCase& row : kKinds) {
        const std::string name = DigestKindName(row.kind);
        Driven driven(path);
        OneFileController& controller = driven.Get();
        controller.Start();
        ASSERT_TRUE(driven.UntilEnd()) << name;
        // Pasted once the file was read: a kind not read yet is read then.
        controller.SetExpected(row.abc);
        ASSERT_TRUE(driven.UntilEnd()) << name;
        const bool damageOnly = DetectsDamageOnly(row.kind);
        EXPECT_EQ(controller.Verdict().headline,
                  damageOnly ? name + " MATCHES" : "MATCH \xE2\x80\x94 " + name);
        EXPECT_EQ(controller.Verdict().tone,
                  damageOnly ? VerdictTone::kDamageOnlyMatch : VerdictTone::kMatch);
        EXPECT_EQ(controller.ExitCode(), kExitOk) << name;

        // Another file's digest of that kind: NO MATCH against every kind of
        // its length.
        Driven otherRead(other);
        otherRead.Get().SetExpected(row.abc);
        otherRead.Get().Start();
        ASSERT_TRUE(otherRead.UntilEnd()) << name;
        std::string otherText;
        for (std::size_t i = 0; i < otherRead.Get().Kinds().size(); ++i) {
            if (otherRead.Get().Kinds()[i] == row.kind) {
                otherText = otherRead.Get().DigestAt(i)->Text();
            }
        }
        ASSERT_EQ(otherText.size(), std::string(row.abc).size()) << name;
        controller.SetExpected(otherText);
        ASSERT_TRUE(driven.UntilEnd()) << name;
        EXPECT_EQ(controller.Verdict().headline, "NO MATCH") << name;
        EXPECT_EQ(controller.Verdict().detail, std::string("compared with ") + row.others);
        EXPECT_EQ(controller.ExitCode(), kExitDifferences) << name;

        // Known before the read (the command line's, the clipboard's): read
        // with the others, in one read.
        Driven before(path);
        before.Get().SetExpected(std::string(" 0x") + row.abc + "\r\n");
        before.Get().Start();
        ASSERT_TRUE(before.UntilEnd()) << name;
        EXPECT_EQ(before.reads, 1) << name;
        EXPECT_EQ(before.Get().Verdict().tone,
                  damageOnly ? VerdictTone::kDamageOnlyMatch : VerdictTone::kMatch);
        EXPECT_EQ(before.Get().ExitCode(), kExitOk) << name;
    }
}

TEST(OneFileControllerTest, NamesAndExitCodes) {
    const TempDirectory dir;
    const std::string path = dir.Write("abc.txt", "abc");
    const std::string sha256 = kKinds[3].abc;
    struct Case {
        std::string file;
        std::string expected;
        int exit;
        std::string detail;  // found in the verdict's detail
    };
    const Case cases[] = {
        {path, "", kExitOk, "Paste the digest"},
        {path, "SHA256 (abc.txt) = " + sha256, kExitOk, "compared with SHA-256"},
        {path, sha256 + "  ./dl/abc.txt", kExitOk, "compared with SHA-256"},
        {path, "SHA256 (abc-1.2.txt) = " + sha256, kExitOk,
         "; the line names \"abc-1.2.txt\", this file is \"abc.txt\""},
        {path, "XXH128 (abc.txt) = " + std::string(kKinds[8].abc), kExitOk, "XXH128 detects"},
        {path, "nonsense", kExitError, "not a digest"},
        {path, "WHIRLPOOL (abc.txt) = " + sha256 + sha256, kExitError,
         "the tag \"WHIRLPOOL\" names no algorithm known here"},
        {path, "SM3(abc.txt)= " + sha256, kExitError, "names no algorithm known here"},
        {path, sha256.substr(2), kExitError, "no algorithm has a digest of 62 hex digits"},
        {dir / "gone.iso", sha256, kExitError, "No digest was computed."},
        {dir / "gone.iso", "", kExitError, "Paste the digest"},
    };
    for (const Case& c : cases) {
        Driven driven(c.file);
        driven.Get().SetExpected(c.expected);
        driven.Get().Start();
        ASSERT_TRUE(driven.UntilEnd()) << c.expected;
        EXPECT_EQ(driven.Get().ExitCode(), c.exit) << c.expected;
        EXPECT_NE(driven.Get().Verdict().detail.find(c.detail), std::string::npos)
            << c.expected << ": " << driven.Get().Verdict().detail;
        // A line that names no file is in no case told apart.
        if (c.detail.find("names") == std::string::npos) {
            EXPECT_EQ(driven.Get().Verdict().detail.find("the line names"), std::string::npos);
        }
    }

    // Cancelled: 3, and a digest that needed the cancelled read says so.
    const std::string big = dir / "big.iso";
    ASSERT_EQ(truncate(dir.Write("big.iso", "").c_str(), 1LL << 32), 0);
    Driven cancelled(big);
    cancelled.Get().SetExpected(sha256);
    cancelled.Get().Start();
    cancelled.Get().Cancel();
    ASSERT_TRUE(cancelled.UntilEnd());
    EXPECT_EQ(cancelled.Get().ExitCode(), kExitCancelled);
    EXPECT_EQ(cancelled.Get().Verdict().headline, "");
}

TEST(OneFileControllerTest, ClipboardOfferedOnlyWhenNothingWasGivenAndItIsShort) {
    const std::string digest = kKinds[3].abc;
    EXPECT_TRUE(OffersClipboardDigest(false, false, digest, true));
    EXPECT_FALSE(OffersClipboardDigest(true, false, digest, true));    // /expect given
    EXPECT_FALSE(OffersClipboardDigest(false, true, digest, true));    // a script's /close
    EXPECT_FALSE(OffersClipboardDigest(false, false, digest, false));  // more than looked at
    EXPECT_FALSE(OffersClipboardDigest(false, false, "hello, world", true));
    // A paste into Expected is kept whole, its line breaks made blanks.
    EXPECT_EQ(TrimmedPaste("\r\n  " + digest + " \r\n"), digest);
    EXPECT_EQ(TrimmedPaste("ab12\r\ncd34\n"), "ab12  cd34");
    EXPECT_EQ(TrimmedPaste(" \r\n\t"), "");
}

// A detached signature beside the file (make-signed-lists.sh made them with
// gpg), checked in the same one read as the digests, with the store's keys:
// its line, --check-signature's words and the exit code it adds to the
// digest's; a key added, the signature alone is checked again.
TEST(OneFileControllerTest, DetachedSignatureReadWithTheDigests) {
    const std::string made = SUMBROOK_SIGNED_FILES;
    const TempDirectory store;
    std::string error;
    ASSERT_EQ(AddKeys(store.Path(), ReadKeyFile(made + "/publisher.asc", SecondsNow(), error),
                      "Publisher"),
              "");
    const std::string sha256OfAbc = kKinds[3].abc;
    const struct {
        const char* file;
        std::string signature;  // "" the one beside it
        std::string expected;
        int exit;
        StatusTone tone;
        const char* shownFirst;  // "": no line
        const char* reported;    // the report's signature line holds
    } cases[] = {
        {"image.bin", "", "", 0, StatusTone::kGood,
         "Signed by Publisher (Publisher <publisher@example.org>) \xC2\xB7 fingerprint ",
         "image.bin: Good signature by Publisher"},
        {"image.bin", "", sha256OfAbc, 1, StatusTone::kGood, "Signed by Publisher", "Good"},
        {"tampered.bin", "", "", 1, StatusTone::kBad,
         "BAD signature: the file or its signature was changed", "tampered.bin: BAD signature"},
        {"unknown.bin", "", "", 2, StatusTone::kWarning, "Signed by a key you have not added: ",
         "unknown.bin: Signature not verified: made by a key you have not added"},
        {"minisigned.bin", "", "", 2, StatusTone::kWarning,
         "Signed by a key you have not added: key ID ", "minisigned.bin: Signed by a minisign key"},
        {"image.bin", made + "/none.sig", "", 2, StatusTone::kWarning,
         "Signature NOT verified: ", "none.sig: "},
        {"image.bin", store.Write("junk.sig", "-----BEGIN PGP SIGNATURE-----\n"), "", 2,
         StatusTone::kWarning, "Signature NOT verified: ", "junk.sig: "},
        {"a.txt", "", "", 0, StatusTone::kPlain, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + (" " + c.expected));
        Driven driven(made + "/" + c.file);
        OneFileController& controller = driven.Get();
        controller.CheckSignature(c.signature, store.Path());
        controller.SetExpected(c.expected);
        controller.Start();
        ASSERT_TRUE(driven.UntilEnd());
        EXPECT_EQ(driven.reads, 1);
        EXPECT_EQ(controller.ExitCode(), c.exit);
        const SignatureBanner& line = controller.SignatureLine();
        EXPECT_EQ(line.shown, *c.shownFirst != '\0');
        EXPECT_EQ(line.tone, c.tone);
        EXPECT_EQ(line.text.rfind(c.shownFirst, 0), 0U) << line.text;
        EXPECT_EQ(line.offersAddKey, c.exit == 2 && c.signature.empty());
        EXPECT_NE(controller.ReportText().find(c.reported), std::string::npos)
            << controller.ReportText();
        EXPECT_EQ(controller.ReportText().rfind(controller.SumLines(), 0), 0U);
    }

    // The stranger's key added: the signature alone is read again, good.
    Driven unknown(made + "/unknown.bin");
    unknown.Get().CheckSignature("", store.Path());
    unknown.Get().Start();
    ASSERT_TRUE(unknown.UntilEnd());
    ASSERT_EQ(AddKeys(store.Path(), ReadKeyFile(made + "/stranger.asc", SecondsNow(), error), ""),
              "");
    ASSERT_TRUE(unknown.Get().CheckSignatureAgain());
    ASSERT_TRUE(unknown.UntilEnd());
    EXPECT_EQ(unknown.Get().SignatureLine().tone, StatusTone::kGood);
    EXPECT_EQ(unknown.Get().ExitCode(), kExitOk);

    // A minisign key added as Add key... reads it; Keys... lists it after
    // the OpenPGP ones and removes it.
    ASSERT_EQ(AddKeys(store.Path(), ReadKeyFileToAdd(made + "/minisign.pub"), "Theirs"), "");
    const KeyStoreRead keys = ReadKeyStore(store.Path(), SecondsNow());
    EXPECT_EQ(KeyListLines(keys).at(2).rfind("Theirs \xC2\xB7 key ID ", 0), 0U);
    EXPECT_NE(KeyDetailsTextAt(keys, 2).find("Algorithm: Ed25519"), std::string::npos);
    EXPECT_EQ(RemoveListedKey(store.Path(), keys, 2), "");
    EXPECT_TRUE(ReadKeyStore(store.Path(), SecondsNow()).ed25519Keys.empty());
}

}  // namespace
}  // namespace sumbrook
