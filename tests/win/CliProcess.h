// sumbrook-cli.exe as its own process: started with a UTF-16 command line as
// a console would start it, its standard output and error caught in files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TempFolder.h"

namespace sumbrook::test {

std::string WithoutCarriageReturns(const std::string& text);

struct CliRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // bytes as written, CR LF kept
    std::string err;
    std::string Out() const { return WithoutCarriageReturns(out); }
    std::string Err() const { return WithoutCarriageReturns(err); }
};

// The program built next to the tests, as a Windows path.
std::string CliPath();

// Runs sumbrook-cli.exe with the UTF-8 `arguments`, each quoted, its output
// caught in files of `scratch`. A run that has not ended after two minutes is
// ended and fails the test.
CliRun RunCli(const TempFolder& scratch, const std::vector<std::string>& arguments);

}  // namespace sumbrook::test
