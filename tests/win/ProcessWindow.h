// The top-level windows of another process, for tests and probes that start
// a program and wait for its windows. Header only, so that a probe needs no
// test library.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook::test {

// The first top-level window of the process `process` that `matches` (a
// callable taking the window) accepts, or null.
template <typename Matches>
HWND FindProcessWindow(DWORD process, const Matches& matches) {
    struct Search {
        DWORD process;
        const Matches* matches;
        HWND found;
        static BOOL CALLBACK Visit(HWND window, LPARAM state) {
            auto* search = reinterpret_cast<Search*>(state);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != search->process || !(*search->matches)(window)) return TRUE;
            search->found = window;
            return FALSE;
        }
    } search{process, &matches, nullptr};
    EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The class name and the title of a window (as far as 255 characters).
inline std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}
inline std::string TitleOf(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

}  // namespace sumbrook::test
