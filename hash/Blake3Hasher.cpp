// BLAKE3 from its official C implementation, which chooses its SIMD code
// (SSE2 to AVX-512) at run time, on one thread or several within one piece.
//
// BLAKE3 hashes 1 KiB chunks, numbered from 0, and joins their chaining
// values (CVs) pairwise into a binary tree whose left subtrees are always
// complete: a run of 2^k chunks whose first number is a multiple of 2^k is a
// subtree of the file's tree, whose CV depends only on its bytes and its
// first chunk's number. The official hasher keeps the CVs of the complete
// subtrees so far on a stack (merged lazily, so that the root is only ever
// compressed in finalize) and hashes such a subtree within one update call
// as a pair of CVs, its two halves, pushed one after the other.
//
// Shared out, a subtree of at least kSharedSubtree bytes is cut into pieces
// that are themselves subtrees (a power of two of them, each at least
// kSmallestPiece): each piece's two halves come from a hasher of its own
// started at the piece's first chunk number (the official update does the
// hashing, since a whole aligned subtree fed to an empty hasher leaves just
// its two halves on the stack), the halves are joined into the piece's CV,
// and the pieces' CVs pairwise until two are left: the subtree's halves,
// pushed onto the main hasher's stack as the official update pushes its
// own. Everything else (a chunk begun, the file's last bytes, the root) is
// the official update's and finalize's. The digest is therefore the same for
// every split of the bytes and every number of threads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "blake3.h"
#include "hash/HasherBackends.h"
#include "platform/SpreadThread.h"
extern "C" {
#include "blake3_impl.h"
}

namespace sumbrook {

namespace {

constexpr std::size_t kChunk = BLAKE3_CHUNK_LEN;
constexpr std::size_t kCvBytes = BLAKE3_OUT_LEN;
// Subtrees from this size on are shared out (smaller ones cost more to
// share than to hash), in pieces of at least kSmallestPiece: sixteen chunks,
// what the widest SIMD code hashes at once; and of at most kLargestPiece, so
// that a thread slowed down, or woken late, leaves the others at most a
// piece of some 0.25 ms to wait for at the end of a subtree of many
// megabytes. On Intel Xeon family 6 model 167 (AVX-512, 2 cores), a cached
// 1 GiB file in 2 MiB folios, medians of 15 to 21 alternated runs against
// b3sum (both cores): pieces of 256 KiB 0.957-0.969 of its speed, 512 KiB
// 0.971, 1 MiB 0.979-0.982, 2 MiB 0.962 (0.984 with the caller's watch
// below), 4 MiB 0.977.
constexpr std::size_t kSharedSubtree = 64U << 10;
constexpr std::size_t kSmallestPiece = 16U << 10;
constexpr std::size_t kLargestPiece = 1U << 20;

// Threads that take pieces of a subtree along with the caller, kept for the
// hasher's life.
//
// A file's subtrees come one after another with only a look at the run's
// control between them, and a thread woken from a futex wait takes some
// 40 us to run again (Zen 3, Linux 6.18), about as long as a piece takes
// to hash: so a helper that has taken its last piece keeps watching for the
// next subtree for kHelperSpin before it sleeps, and the caller watches for
// the last piece to be done about as long as one of its own pieces took it
// (of 1 MiB, 0.23 ms on family 6 model 167, where a fixed 0.1 ms had the
// caller sleep at the end of 3 to 5 of a 1 GiB file's 16 subtrees). The
// helpers start on cores of their own (SpreadThread). A helper joins a
// subtree by taking one of its seats; `busy_` counts the helpers that may
// hold one, and the caller returns only once it has taken the seats back
// and seen `busy_` at 0, so that no helper still reads what it handed out.
class PieceHelpers {
  public:
    explicit PieceHelpers(unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            try {
                threads_.emplace_back(i, [this] { Serve(); });
            } catch (const std::system_error&) {
                break;  // fewer helpers: the caller takes more pieces
            }
        }
    }
    ~PieceHelpers() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_.store(true);
            ++generation_;
        }
        wake_.notify_all();
        for (SpreadThread& thread : threads_) thread.join();
    }
    PieceHelpers(const PieceHelpers&) = delete;
    PieceHelpers& operator=(const PieceHelpers&) = delete;

    unsigned Count() const { return static_cast<unsigned>(threads_.size()); }

    // work(i) for every i below `pieces`, on the caller and up to `helpers`
    // of the threads; returns once every piece is done.
    void Run(unsigned helpers, unsigned pieces, const std::function<void(unsigned)>& work) {
        work_ = &work;
        pieces_ = pieces;
        next_.store(0, std::memory_order_relaxed);
        fromBack_.store(0, std::memory_order_relaxed);
        seats_.store(std::min(helpers, Count()), std::memory_order_release);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++generation_;
        }
        wake_.notify_all();
        const auto start = std::chrono::steady_clock::now();
        const unsigned taken = TakePieces(true);
        seats_.store(0);
        // A helper still hashing has at most one piece left: the caller
        // watches for about as long as its own pieces took it.
        const auto spin = taken == 0
                              ? kHelperSpin
                              : std::clamp<std::chrono::steady_clock::duration>(
                                    (std::chrono::steady_clock::now() - start) * 3 / (2 * taken),
                                    kHelperSpin, kLongestCallerSpin);
        if (Watch([this] { return busy_.load() == 0; }, spin)) return;
        std::unique_lock<std::mutex> lock(mutex_);
        callerWaits_.store(true);
        done_.wait(lock, [this] { return busy_.load() == 0; });
        callerWaits_.store(false);
    }

  private:
    static constexpr std::chrono::microseconds kHelperSpin{100};
    static constexpr std::chrono::microseconds kLongestCallerSpin{2000};

    // Whether `ready()` came true within `spin`.
    template <typename Ready>
    static bool Watch(const Ready& ready, std::chrono::steady_clock::duration spin = kHelperSpin) {
        const auto until = std::chrono::steady_clock::now() + spin;
        do {
            for (int i = 0; i < 64; ++i) {
                if (ready()) return true;
#if defined(__i386__) || defined(__x86_64__)
                __builtin_ia32_pause();
#endif
            }
        } while (std::chrono::steady_clock::now() < until);
        return false;
    }

    // The caller takes the pieces from the first on, the helpers from the
    // last back, so that each thread's pieces lie together in the file's
    // folios rather than beside another thread's: a thread that faults on a
    // folio another is faulting on waits for it. On Intel Xeon family 6
    // model 167, both cores, a 1 GiB file mapped as it is hashed (medians of
    // 9 and 7 alternated runs): 0.1294 to 0.1245 s in 2 MiB folios, 0.1759
    // to 0.1730 s in small ones (b3sum 0.1206 and 0.1713).
    unsigned TakePieces(bool front) {
        const unsigned pieces = pieces_;
        unsigned taken = 0;
        for (unsigned fromFront = 0; next_++ < pieces; ++taken) {
            (*work_)(front ? fromFront++ : pieces - 1 - fromBack_++);
        }
        return taken;
    }

    void Serve() {
        std::uint64_t seen = 0;
        for (;;) {
            if (!Watch([&] { return generation_.load(std::memory_order_acquire) != seen; })) {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return generation_.load() != seen; });
            }
            seen = generation_.load(std::memory_order_acquire);
            if (stop_.load()) return;
            busy_.fetch_add(1);
            unsigned seats = seats_.load();
            while (seats > 0 && !seats_.compare_exchange_weak(seats, seats - 1)) {
            }
            if (seats > 0) TakePieces(false);
            if (busy_.fetch_sub(1) == 1 && callerWaits_.load()) {
                const std::lock_guard<std::mutex> lock(mutex_);
                done_.notify_all();
            }
        }
    }

    std::vector<SpreadThread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    // Set by the caller before it hands out seats, read by a helper only
    // while it holds one.
    const std::function<void(unsigned)>* work_ = nullptr;
    unsigned pieces_ = 0;
    std::atomic<unsigned> next_{0};             // pieces taken
    std::atomic<unsigned> fromBack_{0};         // by the helpers, from the last back
    std::atomic<unsigned> seats_{0};            // helpers still to join the subtree under way
    std::atomic<unsigned> busy_{0};             // helpers that may hold a seat
    std::atomic<std::uint64_t> generation_{0};  // subtrees handed out, changed under mutex_
    std::atomic<bool> callerWaits_{false};
    std::atomic<bool> stop_{false};
};

// How many pieces a subtree of `length` bytes is cut into for `threads`:
// a few a thread, so that one slowed down leaves its share to the others,
// each at least kSmallestPiece and, where there are enough, at most
// kLargestPiece; a power of two, at least 2.
std::size_t PieceCount(std::size_t length, unsigned threads) {
    unsigned halvings = 1;
    while (halvings < 16 &&
           ((std::size_t{1} << halvings) < std::size_t{4} * threads ||
            (length >> halvings) > kLargestPiece) &&
           (length >> (halvings + 1)) >= kSmallestPiece) {
        ++halvings;
    }
    return std::size_t{1} << halvings;
}

std::size_t ChunkLength(const blake3_chunk_state& chunk) {
    return BLAKE3_BLOCK_LEN * static_cast<std::size_t>(chunk.blocks_compressed) + chunk.buf_len;
}

class Blake3Hasher final : public Hasher {
  public:
    Blake3Hasher() { blake3_hasher_init(&state_); }
    void Update(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const unsigned char*>(data);
        if (helpers_ == 0 || allowance_ == nullptr || size < kSharedSubtree) {
            blake3_hasher_update(&state_, bytes, size);
            return;
        }
        while (size > 0) {
            if (ChunkLength(state_.chunk) == kChunk) FinishChunk();
            if (ChunkLength(state_.chunk) == 0) {
                const std::size_t subtree = SubtreeAt(size);
                if (subtree >= kSharedSubtree && HashShared(bytes, subtree)) {
                    bytes += subtree;
                    size -= subtree;
                    continue;
                }
            }
            // The official update, as far as the next place a shared subtree
            // may start.
            const std::uint64_t position =
                state_.chunk.chunk_counter * kChunk + ChunkLength(state_.chunk);
            const auto step = static_cast<std::size_t>(
                std::min<std::uint64_t>(size, kSharedSubtree - position % kSharedSubtree));
            blake3_hasher_update(&state_, bytes, step);
            bytes += step;
            size -= step;
        }
    }
    Digest Finish() override {
        unsigned char bytes[BLAKE3_OUT_LEN];
        blake3_hasher_finalize(&state_, bytes, sizeof bytes);
        return Digest(DigestKind::kBlake3, bytes);
    }
    void Reset() override { blake3_hasher_reset(&state_); }
    void AllowHelpers(HelperAllowance* allowance, unsigned helpers) override {
        allowance_ = allowance;
        helpers_ = helpers;
    }
    bool SharesPieces() const override { return allowance_ != nullptr && helpers_ > 0; }

  private:
    // The largest subtree that starts at the next chunk, within `size` bytes
    // (the official update's rule).
    std::size_t SubtreeAt(std::size_t size) const {
        auto subtree = static_cast<std::size_t>(
            std::uint64_t{1} << (63 - __builtin_clzll(static_cast<unsigned long long>(size))));
        const std::uint64_t start = state_.chunk.chunk_counter * kChunk;
        while (((subtree - 1) & start) != 0) subtree /= 2;
        return subtree;
    }

    // The CV of a parent node over `children` (two CVs, 64 bytes).
    void ParentCv(const unsigned char* children, unsigned char* cv) const {
        std::uint32_t words[8];
        std::memcpy(words, state_.key, sizeof words);
        blake3_compress_in_place(words, children, BLAKE3_BLOCK_LEN, 0,
                                 static_cast<std::uint8_t>(state_.chunk.flags | PARENT));
        store_cv_words(cv, words);
    }

    // The official hasher's push: the stack merged down to one CV per 1-bit
    // of `chunks` (the chunks before this CV's), then the CV on top.
    void PushCv(const unsigned char* cv, std::uint64_t chunks) {
        const auto keep = static_cast<std::size_t>(__builtin_popcountll(chunks));
        while (state_.cv_stack_len > keep) {
            unsigned char* parent = &state_.cv_stack[(state_.cv_stack_len - 2) * kCvBytes];
            ParentCv(parent, parent);
            --state_.cv_stack_len;
        }
        std::memcpy(&state_.cv_stack[state_.cv_stack_len * kCvBytes], cv, kCvBytes);
        ++state_.cv_stack_len;
    }

    // The chunk the official update left whole (more input having come):
    // its CV pushed and a new chunk begun, as that update would.
    void FinishChunk() {
        blake3_chunk_state& chunk = state_.chunk;
        std::uint32_t words[8];
        std::memcpy(words, chunk.cv, sizeof words);
        const auto flags = static_cast<std::uint8_t>(
            chunk.flags | (chunk.blocks_compressed == 0 ? CHUNK_START : 0) | CHUNK_END);
        blake3_compress_in_place(words, chunk.buf, chunk.buf_len, chunk.chunk_counter, flags);
        unsigned char cv[BLAKE3_OUT_LEN];
        store_cv_words(cv, words);
        PushCv(cv, chunk.chunk_counter);
        std::memcpy(chunk.cv, state_.key, sizeof chunk.cv);
        std::memset(chunk.buf, 0, sizeof chunk.buf);
        chunk.buf_len = 0;
        chunk.blocks_compressed = 0;
        ++chunk.chunk_counter;
    }

    // Hashes the subtree of `length` bytes at `bytes` (a power of two of
    // chunks, starting at the next chunk) with the helpers the allowance
    // gives now; false, with nothing done, when it gives none.
    bool HashShared(const unsigned char* bytes, std::size_t length) {
        const unsigned taken = allowance_->Take(helpers_);
        if (taken == 0) return false;
        struct Given {
            HelperAllowance* allowance;
            unsigned count;
            ~Given() { allowance->Give(count); }
        } const given{allowance_, taken};
        if (!pool_) pool_ = std::make_unique<PieceHelpers>(helpers_);
        if (pool_->Count() == 0) return false;
        const unsigned threads = std::min(taken, pool_->Count()) + 1;
        std::size_t pieces = PieceCount(length, threads);
        const std::size_t piece = length / pieces;
        const std::uint64_t first = state_.chunk.chunk_counter;
        cvs_.resize(pieces * kCvBytes);
        const std::function<void(unsigned)> work = [&](unsigned index) {
            if (allowance_->Stopped()) return;
            // Started from the key and flags alone, not a copy of the main
            // hasher's whole state (1.9 KB, in the caller's cache).
            blake3_hasher own{};
            std::memcpy(own.key, state_.key, sizeof own.key);
            std::memcpy(own.chunk.cv, state_.key, sizeof own.chunk.cv);
            own.chunk.chunk_counter = first + std::uint64_t{index} * (piece / kChunk);
            own.chunk.flags = state_.chunk.flags;
            blake3_hasher_update(&own, bytes + index * piece, piece);
            ParentCv(own.cv_stack, &cvs_[index * kCvBytes]);
        };
        pool_->Run(threads - 1, static_cast<unsigned>(pieces), work);
        for (; pieces > 2; pieces /= 2) {
            for (std::size_t i = 0; i < pieces / 2; ++i) {
                ParentCv(&cvs_[2 * i * kCvBytes], &cvs_[i * kCvBytes]);
            }
        }
        const std::uint64_t chunks = length / kChunk;
        PushCv(&cvs_[0], first);
        PushCv(&cvs_[kCvBytes], first + chunks / 2);
        state_.chunk.chunk_counter = first + chunks;
        return true;
    }

    blake3_hasher state_{};
    HelperAllowance* allowance_ = nullptr;
    unsigned helpers_ = 0;
    std::unique_ptr<PieceHelpers> pool_;
    std::vector<unsigned char> cvs_;
};

}  // namespace

std::unique_ptr<Hasher> MakeBlake3Hasher() {
    return std::make_unique<Blake3Hasher>();
}

}  // namespace sumbrook
