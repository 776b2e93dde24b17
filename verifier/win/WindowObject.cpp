#include "verifier/win/WindowObject.h"

#include <string>

#include "platform/WideText.h"

namespace sumbrook {

void TellHandlerFailure(const std::exception* failure, bool outOfMemory) {
    const std::wstring text = outOfMemory ? L"There is not enough memory for what was asked."
                              : failure != nullptr ? WideFromUtf8(failure->what())
                                                   : L"Something failed in an unforeseen way.";
    MessageBoxW(nullptr, text.c_str(), L"Sumbrook Verify", MB_OK | MB_TASKMODAL | MB_ICONERROR);
}

HWND CreateChildControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                        DWORD extendedStyle) {
    return CreateWindowExW(extendedStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                           nullptr);
}

bool RegisterProgramWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (windowClass.hIcon == nullptr) {
        windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    }
    windowClass.hIconSm = windowClass.hIcon;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace sumbrook
