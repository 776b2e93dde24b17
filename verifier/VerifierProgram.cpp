#include "verifier/VerifierProgram.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/WideText.h"
#include "verifier/VerifierCommandLine.h"
#include "verifier/VerifyWindow.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool AsksToClose(const std::vector<std::string>& arguments) {
    for (std::string argument : arguments) {
        for (char& c : argument) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (argument == "/close") return true;
    }
    return false;
}

}  // namespace

int RunVerifierProgram(HINSTANCE instance, int show) {
    const std::vector<std::string> arguments = ProgramArguments();
    const ParsedVerifierCommandLine parsed = ParseVerifierCommandLine(arguments);
    if (!parsed.ok) {
        if (!AsksToClose(arguments)) {
            const std::wstring text = WideFromUtf8(parsed.error + ".\n\nUsage:\n" + kVerifierUsage);
            MessageBoxW(nullptr, text.c_str(), L"Sumbrook Verify",
                        MB_OK | MB_TASKMODAL | MB_ICONERROR);
        }
        return kExitError;
    }
    // The folder chooser is a shell dialog: the thread is a COM apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exitCode = kExitError;
    HWND window = CreateVerifyWindow(instance, parsed.request, show);
    if (window != nullptr) exitCode = RunVerifyWindowLoop(window);
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}

}  // namespace sumbrook
