#include "signature/MinisignSignature.h"

#include <algorithm>

#include "hash/Hasher.h"
#include "signature/CommentedBase64.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {

namespace {

constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr std::string_view kTrusted = "trusted comment: ";
// minisign's own bounds on its comments.
constexpr std::size_t kUntrustedLimit = 1024;
constexpr std::size_t kTrustedLimit = 8192;

// The trusted comment as shown: a control character (but the tab) would
// act on the terminal or the window, not be read.
std::string Shown(const std::string& comment) {
    std::string shown = comment;
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) c = '?';
    }
    return shown;
}

}  // namespace

bool LooksLikeMinisignSignature(std::string_view text) {
    if (text.substr(0, kUntrusted.size()) != kUntrusted) return false;
    std::size_t at = 0;
    bool ended = true;
    for (int line = 0; line < 2 && ended; ++line) LineAt(text, at, at, ended);
    return ended && text.substr(at, kTrusted.size()) == kTrusted;
}

MinisignSignatureRead ReadMinisignSignature(std::string_view text) {
    MinisignSignatureRead read;
    const CommentedBase64 first =
        ReadCommentedBase64(text, 0, kUntrusted, kUntrustedLimit, 2 + 8 + 64);
    if (!first.ok) {
        read.error = "not a minisign signature: " + first.error;
        return read;
    }
    const CommentedBase64 second =
        ReadCommentedBase64(text, first.end, kTrusted, kTrustedLimit, 64);
    if (!second.ok) {
        read.error = "not a minisign signature: its trusted comment: " + second.error;
        return read;
    }
    if (text.find_first_not_of(" \t\r\n", second.end) != std::string_view::npos) {
        read.error = "not a minisign signature: more text follows it";
        return read;
    }
    const std::string& bytes = first.bytes;
    if (bytes.compare(0, 2, "ED") != 0 && bytes.compare(0, 2, "Ed") != 0) {
        read.error =
            "a minisign signature of an algorithm not read here (\"" + bytes.substr(0, 2) + "\")";
        return read;
    }
    MinisignSignature& signature = read.signature;
    signature.prehashed = bytes[1] == 'D';
    std::copy(bytes.begin() + 2, bytes.begin() + 10, signature.keyId.begin());
    std::copy(bytes.begin() + 10, bytes.end(), signature.signature);
    // minisign drops every CR (and LF) at the end of the line: the comment
    // it signs and checks ends in neither.
    signature.trustedComment = second.comment;
    while (!signature.trustedComment.empty() && signature.trustedComment.back() == '\r')
        signature.trustedComment.pop_back();
    std::copy(second.bytes.begin(), second.bytes.end(), signature.globalSignature);
    read.ok = true;
    return read;
}

MinisignCheck::MinisignCheck(MinisignSignature signature, std::vector<Ed25519PublicKey> keys)
    : signature_(std::move(signature)), keys_(std::move(keys)) {
    known_ = std::any_of(keys_.begin(), keys_.end(), [this](const Ed25519PublicKey& key) {
        return key.id == signature_.keyId;
    });
    if (known_ && signature_.prehashed) digest_ = MakeHasher(DigestKind::kBlake2b);
}

MinisignCheck::~MinisignCheck() = default;

bool MinisignCheck::WantsBytes() const {
    return known_ && !whole_.TooBig();
}

void MinisignCheck::Update(const void* data, std::size_t size) {
    if (!WantsBytes()) return;
    if (digest_) {
        digest_->Update(data, size);
    } else {
        whole_.Update(data, size);
    }
}

KeySignatureResult MinisignCheck::Finish() {
    KeySignatureResult result;
    result.format = "minisign";
    result.keyId = KeyIdText(signature_.keyId);
    if (known_ && whole_.TooBig()) {
        result.reason =
            "a legacy minisign signature (\"Ed\") signs the whole file unhashed, which is "
            "checked only up to " +
            std::to_string(kWholeMessageLimit >> 20) +
            " MiB: ask the publisher for a pre-hashed signature (minisign 0.8 or later)";
        return result;
    }
    std::string digest;
    if (digest_) {
        const Digest bytes = digest_->Finish();
        digest.assign(reinterpret_cast<const char*>(bytes.Bytes()), bytes.Size());
    }
    CheckByKeyId(signature_.keyId, signature_.signature,
                 digest_ ? std::string_view(digest) : whole_.Bytes(), keys_, result);
    if (result.verdict != KeySignatureResult::Verdict::kGood) return result;
    // The global signature, by the key that verified: the signature and the
    // trusted comment as one message.
    std::string global(reinterpret_cast<const char*>(signature_.signature), 64);
    global += signature_.trustedComment;
    const auto key = std::find_if(keys_.begin(), keys_.end(), [&](const Ed25519PublicKey& each) {
        return each.text == result.publicKey;
    });
    if (!VerifyEd25519({key->key.data(), key->key.size()},
                       {reinterpret_cast<const std::uint8_t*>(global.data()), global.size()},
                       {signature_.globalSignature, 64})) {
        result.verdict = KeySignatureResult::Verdict::kBad;
        result.reason = "the trusted comment was changed after signing";
        return result;
    }
    result.trustedComment = Shown(signature_.trustedComment);
    return result;
}

}  // namespace sumbrook
