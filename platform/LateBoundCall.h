// A function of a system DLL looked up when it is first needed, so that a
// program does not load that DLL (and all it loads) at its start when it
// may never call it: the common dialogs, the shell, COM. Windows only.
#pragma once

#include <windows.h>

namespace sumbrook {

// The function `name` of `dll` (loaded now if it is not yet), or null when
// either cannot be had. `Function` is its type, e.g. decltype(DragFinish).
template <typename Function>
Function* LateBound(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) module = LoadLibraryW(dll);
    if (module == nullptr) return nullptr;
    // Through a pointer to a function of no arguments, as C++ allows between
    // function pointer types.
    const auto found = reinterpret_cast<void (*)()>(GetProcAddress(module, name));
    return reinterpret_cast<Function*>(found);
}

}  // namespace sumbrook
