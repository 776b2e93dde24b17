#include "files/FileDigests.h"

#include <exception>
#include <memory>
#include <optional>

#include "files/FileChecksumParts.h"
#include "hash/DigestSet.h"

namespace sumbrook {

namespace {

// A DigestSet behind the one-hasher interface that the read loops feed: its
// Finish keeps every digest and gives the first. What reads alongside gets
// each piece after the set.
class DigestSetHasher : public Hasher {
  public:
    DigestSetHasher(const std::vector<DigestKind>& kinds, unsigned threads,
                    ReadAlongside* alongside)
        : set_(kinds, threads), alongside_(alongside) {}
    void Update(const void* data, std::size_t size) override {
        set_.Update(data, size);
        if (alongside_ != nullptr) alongside_->Update(data, size);
    }
    Digest Finish() override {
        digests_ = set_.Finish();
        return digests_.front();
    }
    void Reset() override {
        set_.Reset();
        if (alongside_ != nullptr) alongside_->Restart();
    }
    void AllowHelpers(HelperAllowance* allowance, unsigned helpers) override {
        set_.AllowHelpers(allowance, helpers);
    }
    bool SharesPieces() const override { return set_.SharesPieces(); }
    std::vector<Digest>& Digests() { return digests_; }

  private:
    DigestSet set_;
    ReadAlongside* alongside_;
    std::vector<Digest> digests_;
};

}  // namespace

FileDigests DigestFileOnce(const std::string& path, const std::vector<DigestKind>& kinds,
                           std::vector<unsigned char>& buffer, const FileAccess& access,
                           unsigned threads, ReadAlongside* alongside) {
    FileDigests result;
    std::optional<DigestSetHasher> hasher;
    try {
        hasher.emplace(kinds.empty() ? std::vector<DigestKind>{DigestKind::kCrc32} : kinds, threads,
                       alongside);
    } catch (const std::exception&) {
        result.read.status = FileReadStatus::kReadFailed;
        return result;
    }
    FileAccess mapping = access;
#ifdef _WIN32
    mapping.readMapped = ChecksumMappedView;
#endif
    result.read = ChecksumFileInto(path, buffer, mapping, *hasher);
    if (result.read.status == FileReadStatus::kOk) result.digests = std::move(hasher->Digests());
    return result;
}

}  // namespace sumbrook
