// A range of an open file hashed in place through mapped views of it, one
// window of at most kMapWindowSize at a time, in slices of kMappedSliceSize
// between which the run's control is looked at (files/BlockReadLoop.h).
// The handle admits readers only, so the file cannot shrink under the
// views; a page the system cannot bring in (a failing disk, a network drop)
// raises EXCEPTION_IN_PAGE_ERROR in whichever thread touches it (a hasher
// that shares its pieces out reads its reader's view from threads of its
// own). The process's handler knows every view mapped at the time and puts
// zeros in the failing one's place: the hasher reads on, and the range then
// fails as a read would have failed, also when it was the last slice.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#include "files/AlignedRangeRead.h"
#include "files/BlockReadLoop.h"
#include "files/FileChecksum.h"
#include "files/FileReadControl.h"
#include "files/RunningDigest.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

// The views mapped at the time, whoever reads them. A slot is taken by its
// begin (null: free); its end is set once it is taken and cleared before it
// is given back, so that the handler never matches a slot half set.
enum ViewState : int {
    kViewMapped,
    kViewReplacing,  // one thread puts zeros in its place; the others wait
    kViewZeros,      // a page failed; zeros of its own stand there now
    kViewLost,       // a page failed and the zeros could not be put there
};
struct ViewSlot {
    std::atomic<unsigned char*> begin{nullptr};
    std::atomic<unsigned char*> end{nullptr};
    std::atomic<int> state{kViewMapped};
};
constexpr std::size_t kViewSlots = 64;
ViewSlot g_views[kViewSlots];

ViewSlot* SlotHolding(const unsigned char* address) {
    for (ViewSlot& slot : g_views) {
        const unsigned char* begin = slot.begin.load();
        const unsigned char* end = slot.end.load();
        if (begin != nullptr && end != nullptr && address >= begin && address < end) return &slot;
    }
    return nullptr;
}

// A failed page of a view: the first thread to meet it puts zeros over the
// whole view, at its address; a thread that touches the view meanwhile
// (which then finds nothing mapped there) waits for that. The faulting
// access runs again and reads zeros.
LONG CALLBACK OnInPageError(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    const bool inPage = record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR;
    if ((!inPage && record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION) ||
        record.NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    ViewSlot* const slot =
        SlotHolding(reinterpret_cast<const unsigned char*>(record.ExceptionInformation[1]));
    if (slot == nullptr) return EXCEPTION_CONTINUE_SEARCH;
    int mapped = kViewMapped;
    if (inPage && slot->state.compare_exchange_strong(mapped, kViewReplacing)) {
        unsigned char* const begin = slot->begin.load();
        const auto size = static_cast<SIZE_T>(slot->end.load() - begin);
        // The zeros are released with the view (MappedViews::Unmap).
        const bool replaced =
            UnmapViewOfFile(begin) != 0 &&
            // cppcheck-suppress leakReturnValNotUsed
            VirtualAlloc(begin, size, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY) == begin;
        slot->state = replaced ? kViewZeros : kViewLost;
    }
    int state = slot->state.load();
    while (state == kViewReplacing) {
        SwitchToThread();
        state = slot->state.load();
    }
    // An access violation in a view that is mapped is no failed page.
    return state == kViewZeros ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
}

void InstallInPageHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] { AddVectoredExceptionHandler(1, OnInPageError); });
}

std::uint64_t Granularity() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwAllocationGranularity;
}

// The read-a-block of a mapped range: each block lies in the view mapped
// last, or a new view is mapped from there; where no view can be mapped (no
// address space, no free slot), the rest is read with ReadFile into a buffer
// of its own.
class MappedViews {
  public:
    MappedViews(HANDLE file, HANDLE mapping, std::uint64_t end, std::uint64_t window)
        : file_(file), mapping_(mapping), end_(end), window_(window), granularity_(Granularity()) {}
    ~MappedViews() { Unmap(); }
    MappedViews(const MappedViews&) = delete;
    MappedViews& operator=(const MappedViews&) = delete;

    BlockRead At(std::uint64_t position, std::size_t wanted) {
        BlockRead read;
        if (Failed()) {
            read.error = ERROR_READ_FAULT;
            return read;
        }
        if (reading_) return ReadAt(position, wanted);
        if (view_ == nullptr || position < start_ || position >= start_ + length_) {
            Unmap();
            const std::uint64_t start = position - position % granularity_;
            const auto length = static_cast<std::size_t>(
                std::min<std::uint64_t>(end_ - position, window_) + (position - start));
            void* view = MapViewOfFile(mapping_, FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                                       static_cast<DWORD>(start), length);
            if (view == nullptr || !TakeSlot(static_cast<unsigned char*>(view), length)) {
                if (view != nullptr) UnmapViewOfFile(view);
                reading_ = true;
                return ReadAt(position, wanted);
            }
            view_ = static_cast<unsigned char*>(view);
            start_ = start;
            length_ = length;
        }
        read.data = view_ + (position - start_);
        read.got =
            static_cast<std::size_t>(std::min<std::uint64_t>(wanted, start_ + length_ - position));
        read.mapped = true;
        return read;
    }

    // Whether a page of a view failed (the bytes handed over since are zeros).
    bool Failed() const { return failed_ || (slot_ != nullptr && slot_->state != kViewMapped); }

  private:
    bool TakeSlot(unsigned char* view, std::size_t length) {
        for (ViewSlot& slot : g_views) {
            unsigned char* free = nullptr;
            if (slot.begin.compare_exchange_strong(free, view)) {
                slot.state = kViewMapped;
                slot.end = view + length;
                slot_ = &slot;
                return true;
            }
        }
        return false;
    }

    BlockRead ReadAt(std::uint64_t position, std::size_t wanted) {
        BlockRead read;
        unsigned char* data = nullptr;
        try {
            data = AlignedReadBuffer(buffer_, kMappedSliceSize);
        } catch (const std::bad_alloc&) {
            read.error = ERROR_NOT_ENOUGH_MEMORY;
            return read;
        }
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        const auto asked = static_cast<DWORD>(std::min(wanted, kMappedSliceSize));
        if (!ReadFile(file_, data, asked, &got, &at)) read.error = GetLastError();
        read.data = data;
        read.got = got;
        return read;
    }

    // Every thread that read the view is done with it: a hasher's helpers
    // have handed back their pieces before the next block is asked for.
    void Unmap() {
        if (view_ == nullptr) return;
        const int state = slot_->state;
        if (state != kViewMapped) failed_ = true;
        slot_->end = nullptr;
        slot_->begin = nullptr;
        slot_ = nullptr;
        // A view the handler put zeros over is memory of its own now.
        if (state == kViewZeros) {
            VirtualFree(view_, 0, MEM_RELEASE);
        } else if (state == kViewMapped) {
            UnmapViewOfFile(view_);
        }
        view_ = nullptr;
    }

    const HANDLE file_;
    const HANDLE mapping_;
    const std::uint64_t end_;
    const std::uint64_t window_;
    const std::uint64_t granularity_;
    unsigned char* view_ = nullptr;
    ViewSlot* slot_ = nullptr;
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
    bool reading_ = false;
    bool failed_ = false;
    std::vector<unsigned char> buffer_;
};

}  // namespace

bool ChecksumMappedView(void* file, std::uint64_t offset, std::uint64_t length,
                        FileReadControl* control, Hasher& hasher, FileChecksum& result) {
    const ScopedFileHandle mapping(
        CreateFileMappingA(static_cast<HANDLE>(file), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.IsValid()) return false;
    InstallInPageHandler();
    RunningDigest digest(&hasher);
    bool failed = false;
    {
        MappedViews views(static_cast<HANDLE>(file), mapping.Get(), offset + length,
                          MapWindowFor(&hasher));
        result = ReadBlocks(offset, length, MappedSliceFor(&hasher), control, digest,
                            [&views](std::uint64_t position, std::size_t wanted) {
                                return views.At(position, wanted);
                            });
        failed = views.Failed();
    }
    // A page of the last slice failed: its zeros were hashed.
    if (failed && result.status == FileReadStatus::kOk) {
        result = FileChecksum();
        result.status = FileReadStatus::kReadFailed;
        result.errorCode = ERROR_READ_FAULT;
    }
    return true;
}

}  // namespace sumbrook
