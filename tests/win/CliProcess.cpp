#include "CliProcess.h"

#include <gtest/gtest.h>

#include "platform/WideText.h"

namespace sumbrook::test {

namespace {

constexpr DWORD kRunLimitMs = 120000;

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string WithoutCarriageReturns(const std::string& text) {
    std::string plain;
    for (const char c : text) {
        if (c != '\r') plain += c;
    }
    return plain;
}

std::string CliPath() {
    return BuiltProgramPath(SUMBROOK_CLI_PATH);
}

CliRun RunCli(const TempFolder& scratch, const std::vector<std::string>& arguments) {
    CliRun run;
    std::wstring commandLine = L"\"" + WideFromUtf8(CliPath()) + L"\"";
    for (const std::string& argument : arguments) {
        // Backslashes before the closing quote are doubled, so that an
        // argument that ends in one (a folder in the extended-length form)
        // keeps it: CommandLineToArgvW's rule.
        std::wstring quoted = WideFromUtf8(argument);
        const std::size_t kept = quoted.find_last_not_of(L'\\') + 1;
        quoted.append(quoted.size() - kept, L'\\');
        commandLine += L" \"" + quoted + L"\"";
    }
    const std::string outPath = scratch / "stdout.txt";
    const std::string errPath = scratch / "stderr.txt";
    HANDLE out = InheritableFile(outPath);
    HANDLE err = InheritableFile(errPath);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_NE(err, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started);
    if (!started) return run;
    if (WaitForSingleObject(process.hProcess, kRunLimitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "sumbrook-cli.exe did not end";
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    return run;
}

}  // namespace sumbrook::test
