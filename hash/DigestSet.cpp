#include "hash/DigestSet.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>

#include "hash/DigestKindTable.h"
#include "platform/SpreadThread.h"

namespace sumbrook {

namespace {

// Small against a core's second-level cache, large against a call's cost.
constexpr std::size_t kSliceBytes = std::size_t{64} * 1024;

// Relative time a kind takes per byte in this build: only what shares the
// hashers out among threads (the row's cost).
unsigned CostOf(DigestKind kind) {
    return CostOfThisBuild(RowOf(kind));
}

// A hasher that shares its pieces among threads gets the piece whole, after
// the others: a slice would cost its threads a hand-over each.
// Once `stopper` (may be null) stops, the rest is left unhashed.
void HashInSlices(const std::vector<Hasher*>& hashers, const unsigned char* bytes, std::size_t size,
                  const HelperAllowance* stopper) {
    if (hashers.size() == 1 && stopper == nullptr) {
        hashers.front()->Update(bytes, size);
        return;
    }
    for (std::size_t done = 0; done < size;) {
        if (stopper != nullptr && stopper->Stopped()) return;
        const std::size_t slice = std::min(size - done, kSliceBytes);
        for (Hasher* hasher : hashers) {
            if (!hasher->SharesPieces()) hasher->Update(bytes + done, slice);
        }
        done += slice;
    }
    if (stopper != nullptr && stopper->Stopped()) return;
    for (Hasher* hasher : hashers) {
        if (hasher->SharesPieces()) hasher->Update(bytes, size);
    }
}

}  // namespace

// The threads a set was given beyond its shares, taken piece by piece by
// the hashers that share pieces.
class DigestSet::SpareThreads final : public HelperAllowance {
  public:
    explicit SpareThreads(unsigned count) : spare_(count) {}
    unsigned Take(unsigned wanted) override {
        unsigned spare = spare_.load();
        for (;;) {
            const unsigned taken = std::min(spare, wanted);
            if (taken == 0 || spare_.compare_exchange_weak(spare, spare - taken)) return taken;
        }
    }
    void Give(unsigned count) override { spare_.fetch_add(count); }

  private:
    std::atomic<unsigned> spare_;
};

// Threads that each hash their share of every piece the caller hands over.
// A piece is numbered; a thread takes each number once and counts itself
// done, and the caller waits for the count before it returns the piece.
class DigestSet::Helpers {
  public:
    explicit Helpers(std::vector<std::vector<Hasher*>> shares) : shares_(std::move(shares)) {
        for (std::size_t i = 0; i < shares_.size(); ++i) {
            try {
                threads_.emplace_back(static_cast<unsigned>(i), [this, i] { Run(i); });
            } catch (const std::system_error&) {
                // Fewer threads than asked: the caller hashes the rest.
                std::vector<Hasher*>& left = shares_[i];
                orphans_.insert(orphans_.end(), left.begin(), left.end());
                left.clear();
            }
        }
    }
    ~Helpers() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        started_.notify_all();
        for (SpreadThread& thread : threads_) thread.join();
    }
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;

    // The hashers no thread took.
    const std::vector<Hasher*>& Orphans() const { return orphans_; }

    // Hands the piece to every thread; once `stopper` (may be null) stops,
    // they leave the rest of it unhashed.
    void Begin(const unsigned char* bytes, std::size_t size, const HelperAllowance* stopper) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            bytes_ = bytes;
            size_ = size;
            stopper_ = stopper;
            pending_ = threads_.size();
            ++piece_;
        }
        started_.notify_all();
    }

    // Once every thread is done with the piece: what the first that failed
    // threw, if one did.
    std::exception_ptr Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return pending_ == 0; });
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        return failure;
    }

  private:
    void Run(std::size_t share) {
        std::uint64_t seen = 0;
        for (;;) {
            const unsigned char* bytes = nullptr;
            std::size_t size = 0;
            const HelperAllowance* stopper = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                started_.wait(lock, [&] { return stopping_ || piece_ != seen; });
                if (stopping_) return;
                seen = piece_;
                bytes = bytes_;
                size = size_;
                stopper = stopper_;
            }
            std::exception_ptr failure;
            try {
                HashInSlices(shares_[share], bytes, size, stopper);
            } catch (...) {
                failure = std::current_exception();
            }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (failure && !failure_) failure_ = failure;
                --pending_;
            }
            finished_.notify_one();
        }
    }

    std::vector<std::vector<Hasher*>> shares_;
    std::vector<Hasher*> orphans_;
    std::vector<SpreadThread> threads_;
    std::mutex mutex_;
    std::condition_variable started_;
    std::condition_variable finished_;
    const unsigned char* bytes_ = nullptr;
    std::size_t size_ = 0;
    const HelperAllowance* stopper_ = nullptr;
    std::uint64_t piece_ = 0;
    std::size_t pending_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
};

DigestSet::DigestSet(const std::vector<DigestKind>& kinds, unsigned threads) {
    for (const DigestKind kind : kinds) {
        if (std::find(kinds_.begin(), kinds_.end(), kind) != kinds_.end()) continue;
        kinds_.push_back(kind);
        hashers_.push_back(MakeHasher(kind));
    }
    const std::size_t shares = std::min<std::size_t>(std::max(1U, threads), hashers_.size());
    // Costliest first, each to the share with the least so far.
    std::vector<std::size_t> order(hashers_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return CostOf(kinds_[a]) > CostOf(kinds_[b]);
    });
    std::vector<std::vector<Hasher*>> split(shares);
    std::vector<unsigned> load(shares, 0);
    for (const std::size_t index : order) {
        const std::size_t least =
            static_cast<std::size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        split[least].push_back(hashers_[index].get());
        load[least] += CostOf(kinds_[index]);
    }
    own_ = std::move(split.front());
    if (shares > 1) {
        split.erase(split.begin());
        helpers_ = std::make_unique<Helpers>(std::move(split));
        own_.insert(own_.end(), helpers_->Orphans().begin(), helpers_->Orphans().end());
    }
    if (threads > shares) {
        const unsigned spare = threads - static_cast<unsigned>(shares);
        spare_ = std::make_unique<SpareThreads>(spare);
        for (const auto& hasher : hashers_) hasher->AllowHelpers(spare_.get(), spare);
    }
}

void DigestSet::AllowHelpers(HelperAllowance* allowance, unsigned helpers) {
    stopper_ = allowance;
    if (helpers_ || spare_) return;
    for (const auto& hasher : hashers_) hasher->AllowHelpers(allowance, helpers);
}

DigestSet::~DigestSet() = default;

void DigestSet::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!helpers_) {
        HashInSlices(own_, bytes, size, stopper_);
        return;
    }
    helpers_->Begin(bytes, size, stopper_);
    std::exception_ptr failure;
    try {
        HashInSlices(own_, bytes, size, stopper_);
    } catch (...) {
        failure = std::current_exception();
    }
    // The helpers read `data` until they are done, whatever happened here.
    const std::exception_ptr helperFailure = helpers_->Wait();
    if (failure) std::rethrow_exception(failure);
    if (helperFailure) std::rethrow_exception(helperFailure);
}

std::vector<Digest> DigestSet::Finish() {
    std::vector<Digest> digests;
    digests.reserve(hashers_.size());
    for (const auto& hasher : hashers_) digests.push_back(hasher->Finish());
    return digests;
}

void DigestSet::Reset() {
    for (const auto& hasher : hashers_) hasher->Reset();
}

}  // namespace sumbrook
