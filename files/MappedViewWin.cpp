// A range of an open file hashed in place through mapped views of it, one
// window of at most kMapWindowSize at a time, in slices of kMappedSliceSize
// between which the run's control is looked at (files/BlockReadLoop.h).
// The handle admits readers only, so the file cannot shrink under the
// views; a page the system cannot bring in (a failing disk, a network drop)
// raises EXCEPTION_IN_PAGE_ERROR, which the process's handler turns, for
// the reading thread's own view, into zeros in its place: the hasher reads
// on, and the read loop then fails the range as a read would have failed.
#include <windows.h>

#include <algorithm>
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

// The view the reading thread has mapped (null: none), and whether the
// system failed to bring a page of it in.
thread_local unsigned char* t_viewBegin = nullptr;
thread_local unsigned char* t_viewEnd = nullptr;
thread_local bool t_viewFailed = false;

LONG CALLBACK OnInPageError(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode != EXCEPTION_IN_PAGE_ERROR || record.NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    auto* address = reinterpret_cast<unsigned char*>(record.ExceptionInformation[1]);
    if (t_viewBegin == nullptr || address < t_viewBegin || address >= t_viewEnd) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // Zeros over the whole view, at its address: the faulting access runs
    // again and reads them.
    const auto size = static_cast<SIZE_T>(t_viewEnd - t_viewBegin);
    // The zeros take the view's place and are released with it
    // (MappedViews::Unmap, which knows them by t_viewFailed).
    if (!UnmapViewOfFile(t_viewBegin) ||
        // cppcheck-suppress leakReturnValNotUsed
        VirtualAlloc(t_viewBegin, size, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY) != t_viewBegin) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    t_viewFailed = true;
    return EXCEPTION_CONTINUE_EXECUTION;
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
// address space), the rest is read with ReadFile into a buffer of its own.
class MappedViews {
  public:
    MappedViews(HANDLE file, HANDLE mapping, std::uint64_t end, std::uint64_t window)
        : file_(file), mapping_(mapping), end_(end), window_(window), granularity_(Granularity()) {
        t_viewFailed = false;
    }
    ~MappedViews() { Unmap(); }
    MappedViews(const MappedViews&) = delete;
    MappedViews& operator=(const MappedViews&) = delete;

    BlockRead At(std::uint64_t position, std::size_t wanted) {
        BlockRead read;
        if (t_viewFailed) {
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
            if (view == nullptr) {
                reading_ = true;
                return ReadAt(position, wanted);
            }
            view_ = static_cast<unsigned char*>(view);
            start_ = start;
            length_ = length;
            t_viewBegin = view_;
            t_viewEnd = view_ + length;
        }
        read.data = view_ + (position - start_);
        read.got =
            static_cast<std::size_t>(std::min<std::uint64_t>(wanted, start_ + length_ - position));
        return read;
    }

  private:
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

    void Unmap() {
        if (view_ == nullptr) return;
        t_viewBegin = nullptr;
        t_viewEnd = nullptr;
        // A view the handler put zeros over is memory of its own now.
        if (t_viewFailed) {
            VirtualFree(view_, 0, MEM_RELEASE);
        } else {
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
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
    bool reading_ = false;
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
    MappedViews views(static_cast<HANDLE>(file), mapping.Get(), offset + length,
                      MapWindowFor(&hasher));
    result = ReadBlocks(offset, length, MappedSliceFor(&hasher), control, digest,
                        [&views](std::uint64_t position, std::size_t wanted) {
                            return views.At(position, wanted);
                        });
    return true;
}

}  // namespace sumbrook
