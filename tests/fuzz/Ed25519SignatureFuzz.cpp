// Fuzz target for minisign's and signify's readers (libFuzzer): a public
// key, a .minisig and a signify signature read from the same input. Each is
// refused with a reason or read; what is read, written again in the tools'
// form, reads back to the same; and a check of what is read, by a key of the
// signature's own ID, is never good (the input forges no signature) and
// always says why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "signature/CommentedBase64.h"
#include "signature/Ed25519PublicKey.h"
#include "signature/MinisignSignature.h"
#include "signature/SignifySignature.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::string Bytes(const void* data, std::size_t size) {
    return std::string(static_cast<const char*>(data), size);
}

// A key of `id` that signed nothing here.
sumbrook::Ed25519PublicKey KeyOf(const sumbrook::KeyId& id) {
    sumbrook::Ed25519PublicKey key;
    key.id = id;
    key.key[0] = 0x3B;  // not the signer's key, whatever signed the input
    key.text = "test";
    return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sumbrook;  // NOLINT
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const Ed25519PublicKeyRead key = ReadEd25519PublicKey(text);
    Require(key.ok == key.error.empty());
    if (key.ok) {
        const std::string again =
            "Ed" + Bytes(key.key.id.data(), 8) + Bytes(key.key.key.data(), 32);
        Require(EncodeBase64(again) == key.key.text);
        const Ed25519PublicKeyRead reread =
            ReadEd25519PublicKey("untrusted comment: x\n" + key.key.text + "\n");
        Require(reread.ok && reread.key.id == key.key.id && reread.key.key == key.key.key);
    }

    const MinisignSignatureRead minisign = ReadMinisignSignature(text);
    Require(minisign.ok == minisign.error.empty());
    if (minisign.ok) {
        const MinisignSignature& s = minisign.signature;
        Require(LooksLikeMinisignSignature(text) && !LooksLikeSignifySignature(text));
        const std::string written =
            "untrusted comment: x\n" +
            EncodeBase64((s.prehashed ? "ED" : "Ed") + Bytes(s.keyId.data(), 8) +
                         Bytes(s.signature, 64)) +
            "\ntrusted comment: " + s.trustedComment + "\n" +
            EncodeBase64(Bytes(s.globalSignature, 64)) + "\n";
        const MinisignSignatureRead reread = ReadMinisignSignature(written);
        Require(reread.ok && reread.signature.trustedComment == s.trustedComment &&
                reread.signature.keyId == s.keyId && reread.signature.prehashed == s.prehashed);
        MinisignCheck check(s, {KeyOf(s.keyId)});
        check.Update(data, size);
        const KeySignatureResult result = check.Finish();
        Require(result.verdict != KeySignatureResult::Verdict::kGood && !result.reason.empty());
    }

    const SignifySignatureRead signify = ReadSignifySignature(text);
    Require(signify.ok == signify.error.empty());
    if (signify.ok) {
        const SignifySignature& s = signify.signature;
        const std::string line =
            EncodeBase64("Ed" + Bytes(s.keyId.data(), 8) + Bytes(s.signature, 64));
        Require(s.embedded ? text.size() >= s.message.size() &&
                                 text.substr(text.size() - s.message.size()) == s.message &&
                                 text.find(line + "\n" + s.message) != std::string_view::npos
                           : s.message.empty());
        const KeySignatureResult result =
            s.embedded ? CheckSignifyEmbedded(s, {KeyOf(s.keyId)}) : [&] {
                SignifyCheck check(s, {KeyOf(s.keyId)});
                check.Update(data, size);
                return check.Finish();
            }();
        Require(result.verdict != KeySignatureResult::Verdict::kGood && !result.reason.empty());
    }
    return 0;
}
