// SumbrookVerify.exe from its start to its exit code: the command line read,
// the window shown and run until it closes. Windows only.
#pragma once

#include <windows.h>

namespace sumbrook {

// The process's exit code (see verify/RunExitCode.h); 2 for a command line
// that cannot be followed (said in a message box; with /close in the report
// asked for and on standard error, and in a message box only where neither
// is there); 0 after showing the usage that /? asks for.
int RunVerifierProgram(HINSTANCE instance, int show);

}  // namespace sumbrook
