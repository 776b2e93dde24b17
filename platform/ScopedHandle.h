// Move-only owners of system handles. The traits say which value is invalid
// and how the handle is closed, so that two kinds of handle (FindClose and
// CloseHandle, close and closedir) cannot be mixed up and no handle is closed
// twice. The traits for each platform live in WinHandles.h, PosixHandles.h
// and StdioFile.h.
#pragma once

#include <utility>

namespace sumbrook {

template <typename Traits>
class ScopedHandle {
  public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool IsValid() const { return Traits::IsValid(handle_); }
    Handle Get() const { return handle_; }

    // Gives up ownership without closing.
    Handle Release() { return std::exchange(handle_, Traits::NullHandle()); }

    // Closes the owned handle (if any) and takes `handle`.
    void Reset(Handle handle = Traits::NullHandle()) {
        Close();
        handle_ = handle;
    }

    // Closes now; true when there was nothing to close or the close succeeded.
    bool Close() {
        if (!IsValid()) return true;
        return Traits::Close(std::exchange(handle_, Traits::NullHandle()));
    }

  private:
    Handle handle_ = Traits::NullHandle();
};

}  // namespace sumbrook
