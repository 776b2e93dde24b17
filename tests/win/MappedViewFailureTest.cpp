// A page of a mapped view that the system cannot bring in (a failing disk,
// a network drop) raises EXCEPTION_IN_PAGE_ERROR in whichever thread touches
// it: the reading thread, or one of a hasher's helpers. Raised here by a
// hasher at the bytes it is handed, the read goes on and the file fails
// with ERROR_READ_FAULT, never a digest of the zeros nor a dead process,
// also in the last slice of the range.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "TempFolder.h"
#include "files/FileChecksum.h"
#include "hash/Hasher.h"
#include "tests/common/TestContent.h"

namespace sumbrook {
namespace {

using test::RandomBytes;
using test::TempFolder;

// Hands the bytes on to a SHA-256 hasher, and raises a failed page at the
// byte `failAt` of the range on the thread the case names.
class FailingPageHasher : public Hasher {
  public:
    FailingPageHasher(std::uint64_t failAt, bool onAnotherThread)
        : inner_(MakeHasher(DigestKind::kSha256)), failAt_(failAt), another_(onAnotherThread) {}
    void Update(const void* data, std::size_t size) override {
        if (failAt_ >= seen_ && failAt_ - seen_ < size) {
            const auto* page = static_cast<const unsigned char*>(data) + (failAt_ - seen_);
            const auto raise = [page] {
                const ULONG_PTR arguments[3] = {0, reinterpret_cast<ULONG_PTR>(page),
                                                static_cast<ULONG_PTR>(0xC000009CL)};
                RaiseException(EXCEPTION_IN_PAGE_ERROR, 0, 3, arguments);
            };
            if (another_) {
                std::thread(raise).join();
            } else {
                raise();
            }
        }
        seen_ += size;
        inner_->Update(data, size);
    }
    Digest Finish() override { return inner_->Finish(); }
    void Reset() override { inner_->Reset(); }

  private:
    std::unique_ptr<Hasher> inner_;
    std::uint64_t failAt_;
    bool another_;
    std::uint64_t seen_ = 0;
};

TEST(MappedViewFailure, FailsTheFileOnEveryThreadAndInTheLastSlice) {
    TempFolder folder;
    // Two windows, the second one short.
    constexpr std::size_t kSize = (20U << 20) + 12345;
    const std::string path = folder.Write("image.iso", RandomBytes(kSize, 7));
    const struct {
        std::uint64_t failAt;
        bool onAnotherThread;
    } cases[] = {
        {0, false}, {0, true}, {(17U << 20) + 5, true}, {kSize - 1, false}, {kSize - 1, true},
    };
    for (const auto& failure : cases) {
        SCOPED_TRACE(testing::Message()
                     << "at " << failure.failAt << ", another thread " << failure.onAnotherThread);
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FailingPageHasher hasher(failure.failAt, failure.onAnotherThread);
        FileChecksum result;
        EXPECT_TRUE(ChecksumMappedView(file, 0, kSize, nullptr, hasher, result));
        CloseHandle(file);
        EXPECT_EQ(result.status, FileReadStatus::kReadFailed);
        EXPECT_EQ(result.errorCode, static_cast<unsigned long>(ERROR_READ_FAULT));
    }
    // Without a failure the same views give the file's digest.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FailingPageHasher hasher(kSize, false);
    FileChecksum result;
    EXPECT_TRUE(ChecksumMappedView(file, 0, kSize, nullptr, hasher, result));
    CloseHandle(file);
    EXPECT_EQ(result.status, FileReadStatus::kOk);
    const auto reference = MakeHasher(DigestKind::kSha256);
    const std::string bytes = RandomBytes(kSize, 7);
    reference->Update(bytes.data(), bytes.size());
    EXPECT_EQ(result.digest, reference->Finish());
}

}  // namespace
}  // namespace sumbrook
