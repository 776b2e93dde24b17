// The object behind each of the program's windows, its class and its
// child controls. The
// object is made at WM_NCCREATE and kept in GWLP_USERDATA; each message goes
// to its Handle, and no exception crosses the window procedure (the user is
// told what failed). The object is freed by the last of its handlers to
// return once the window is destroyed, never from inside one of them.
#pragma once

#include <windows.h>

#include <exception>
#include <new>

namespace sumbrook {

// Tells the user, in a message box of the program, what a handler threw.
void TellHandlerFailure(const std::exception* failure, bool outOfMemory);

// The procedure's work for a window object `Window`, which has `int depth`,
// `bool destroyed` and `LRESULT Handle(UINT, WPARAM, LPARAM)`. `make` gives
// the object from the CREATESTRUCTW of WM_NCCREATE (an exception refuses
// the window).
template <typename Window, typename Make>
LRESULT DispatchToWindowObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Make make) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        try {
            self = make(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
        } catch (...) {
            return FALSE;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    ++self->depth;
    try {
        result = self->Handle(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        TellHandlerFailure(nullptr, true);
    } catch (const std::exception& failure) {
        TellHandlerFailure(&failure, false);
    } catch (...) {
        TellHandlerFailure(nullptr, false);
    }
    --self->depth;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->destroyed = true;
    }
    if (self->destroyed && self->depth == 0) delete self;
    return result;
}

// A visible child control of `parent` of the class `kind` (its place set
// later, by the layout), with the control ID `id`.
HWND CreateChildControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                        DWORD extendedStyle);

// Registers the class `name` of `procedure` once: the arrow, the dialog's
// colour and the program's icon. False when it cannot be registered.
bool RegisterProgramWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure);

}  // namespace sumbrook
