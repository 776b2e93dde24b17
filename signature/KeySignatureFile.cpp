#include "signature/KeySignatureFile.h"

#include "signature/MinisignSignature.h"
#include "signature/SignifySignature.h"

namespace sumbrook {

namespace {

KeySignatureResult Refused(const char* format, std::string reason) {
    KeySignatureResult result;
    result.format = format;
    result.reason = std::move(reason);
    return result;
}

}  // namespace

bool IsKeySignatureFile(std::string_view bytes) {
    return LooksLikeMinisignSignature(bytes) || LooksLikeSignifySignature(bytes);
}

bool IsEmbeddedSignify(std::string_view bytes) {
    if (!LooksLikeSignifySignature(bytes)) return false;
    const SignifySignatureRead read = ReadSignifySignature(bytes);
    return read.ok && read.signature.embedded;
}

DetachedKeySignatureCheck::DetachedKeySignatureCheck(std::string_view bytes,
                                                     std::vector<Ed25519PublicKey> keys) {
    if (LooksLikeMinisignSignature(bytes)) {
        MinisignSignatureRead read = ReadMinisignSignature(bytes);
        if (read.ok) {
            minisign_ = std::make_unique<MinisignCheck>(std::move(read.signature), std::move(keys));
        } else {
            refused_ = Refused("minisign", read.error);
        }
        return;
    }
    SignifySignatureRead read = ReadSignifySignature(bytes);
    if (!read.ok) {
        refused_ = Refused("signify", read.error);
    } else if (read.signature.embedded) {
        refused_ = Refused("signify",
                           "the signature holds the message it signs (signify -e), not a file's");
    } else {
        signify_ = std::make_unique<SignifyCheck>(std::move(read.signature), std::move(keys));
    }
}

DetachedKeySignatureCheck::~DetachedKeySignatureCheck() = default;

bool DetachedKeySignatureCheck::WantsBytes() const {
    return minisign_ ? minisign_->WantsBytes() : signify_ && signify_->WantsBytes();
}

void DetachedKeySignatureCheck::Update(const void* data, std::size_t size) {
    if (minisign_) minisign_->Update(data, size);
    if (signify_) signify_->Update(data, size);
}

KeySignatureResult DetachedKeySignatureCheck::Finish() {
    if (minisign_) return minisign_->Finish();
    if (signify_) return signify_->Finish();
    return refused_;
}

KeySignatureResult CheckEmbeddedSignify(std::string_view bytes,
                                        const std::vector<Ed25519PublicKey>& keys,
                                        std::string& message) {
    message.clear();
    const SignifySignatureRead read = ReadSignifySignature(bytes);
    if (!read.ok) return Refused("signify", read.error);
    if (!read.signature.embedded)
        return Refused("signify", "the signature holds no message (signify -S without -e)");
    KeySignatureResult result = CheckSignifyEmbedded(read.signature, keys);
    if (result.verdict == KeySignatureResult::Verdict::kGood) message = read.signature.message;
    return result;
}

}  // namespace sumbrook
