#include "verifier/win/VerifierProgram.h"

#include <string>
#include <vector>

#include "platform/ReplacingFileWriter.h"
#include "platform/WideText.h"
#include "verifier/VerifierCommandLine.h"
#include "verifier/win/OneFileWindow.h"
#include "verifier/win/VerifyWindow.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

constexpr wchar_t kTitle[] = L"Sumbrook Verify";

// The arguments after the program's name, split by this program's own rule
// (SplitVerifierCommandLine), not the C runtime's.
std::vector<std::string> ProgramArguments() {
    std::vector<std::string> arguments = SplitVerifierCommandLine(Utf8FromWide(GetCommandLineW()));
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

bool WriteToStandardError(const std::string& text) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE ||
        GetFileType(error) == FILE_TYPE_UNKNOWN) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// A command line that cannot be followed. With /close, the message goes
// where a script finds it: the report asked for, and standard error; a
// message box only when neither is there.
void TellRefusedCommandLine(const ParsedVerifierCommandLine& parsed) {
    const std::string line = "SumbrookVerify.exe: " + parsed.error + "\r\n";
    if (parsed.request.closeWhenDone) {
        const bool reported = !parsed.request.report.empty() &&
                              ReplaceFileContent(parsed.request.report, line).empty();
        if (WriteToStandardError(line) || reported) return;
    }
    const std::wstring text = WideFromUtf8(parsed.error + ".\n\nUsage:\n" + kVerifierUsage);
    MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_TASKMODAL | MB_ICONERROR);
}

}  // namespace

int RunVerifierProgram(HINSTANCE instance, int show) {
    const ParsedVerifierCommandLine parsed = ParseVerifierCommandLine(ProgramArguments());
    if (!parsed.ok) {
        TellRefusedCommandLine(parsed);
        return kExitError;
    }
    if (parsed.request.start == VerifierRequest::Start::kHelp) {
        const std::wstring text = WideFromUtf8(std::string("Usage:\n") + kVerifierUsage);
        MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_TASKMODAL | MB_ICONINFORMATION);
        return kExitOk;
    }
    if (parsed.request.start == VerifierRequest::Start::kFile) {
        OneFileRequest request;
        request.path = parsed.request.file;
        request.expected = parsed.request.expected;
        request.expectGiven = parsed.request.expectGiven;
        request.signature = parsed.request.signature;
        request.report = parsed.request.report;
        request.closeWhenDone = parsed.request.closeWhenDone;
        request.quitOnDestroy = true;
        HWND window = CreateOneFileWindow(instance, request, nullptr, show);
        return window != nullptr ? RunVerifyWindowLoop(window) : kExitError;
    }
    // The check's reading goes on while the window is made.
    std::unique_ptr<StartedCheck> started = StartCheckEarly(parsed.request);
    HWND window = CreateVerifyWindow(instance, parsed.request, show, std::move(started));
    return window != nullptr ? RunVerifyWindowLoop(window) : kExitError;
}

}  // namespace sumbrook
