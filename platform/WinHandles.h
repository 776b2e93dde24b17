// Owners of Win32 handles.
#pragma once

#include <windows.h>

#include "platform/ScopedHandle.h"

namespace sumbrook {

// A handle from CreateFile: invalid is INVALID_HANDLE_VALUE (and null).
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle NullHandle() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static bool Close(Handle h) { return CloseHandle(h) != FALSE; }
};

// A handle from FindFirstFile, closed with FindClose.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle NullHandle() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static bool Close(Handle h) { return FindClose(h) != FALSE; }
};

using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;

}  // namespace sumbrook
