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

// A GDI font, deleted with DeleteObject.
struct FontTraits {
    using Handle = HFONT;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return DeleteObject(h) != FALSE; }
};

// A keyboard accelerator table made with CreateAcceleratorTable.
struct AcceleratorTraits {
    using Handle = HACCEL;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return DestroyAcceleratorTable(h) != FALSE; }
};

// An open registry key (never one of the predefined roots).
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};

// Memory from GlobalAlloc, freed unless handed on (Release), as to the
// clipboard.
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return GlobalFree(h) == nullptr; }
};

using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedFont = ScopedHandle<FontTraits>;
using ScopedAccelerators = ScopedHandle<AcceleratorTraits>;
using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;
using ScopedGlobalMemory = ScopedHandle<GlobalMemoryTraits>;

}  // namespace sumbrook
