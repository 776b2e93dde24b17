// Starts SumbrookVerify.exe with the arguments given, finds its window (of
// lists, or of one file) and
// asks it WM_NULL every few milliseconds until the program ends; prints the
// longest wait for an answer and ends with the program's exit code.
// Usage: verify_answer_probe.exe SumbrookVerify.exe ARGUMENTS...
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/win/ProcessWindow.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: verify_answer_probe SumbrookVerify.exe ARGUMENTS...\n");
        return 99;
    }
    std::wstring commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += L' ';
        commandLine += L"\"" + std::wstring(argv[i]) + L"\"";
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "verify_answer_probe: the program did not start\n");
        return 99;
    }
    HWND window = nullptr;
    DWORD worst = 0;
    unsigned long asks = 0;
    unsigned long late = 0;
    const DWORD started = GetTickCount();
    DWORD worstAt = 0;
    while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT) {
        if (window == nullptr || !IsWindow(window)) {
            window = sumbrook::test::FindProcessWindow(process.dwProcessId, [](HWND candidate) {
                const std::string name = sumbrook::test::ClassNameOf(candidate);
                return name == "SumbrookVerifyWindow" || name == "SumbrookVerifyFileWindow";
            });
            if (window == nullptr) continue;
        }
        const DWORD start = GetTickCount();
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
        const DWORD took = GetTickCount() - start;
        if (!answered && !IsWindow(window)) continue;  // closed meanwhile
        ++asks;
        if (took > worst) {
            worst = took;
            worstAt = start - started;
        }
        if (took > 100) ++late;
    }
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    const DWORD ended = GetTickCount() - started;
    std::printf(
        "worst WM_NULL answer: %lu ms over %lu asks (%lu over 100 ms), asked %.1f s in, "
        "%.1f s before the end\n",
        static_cast<unsigned long>(worst), asks, late, worstAt / 1000.0,
        (ended - worstAt) / 1000.0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
