// SumbrookVerify.exe from its start to its exit code: the command line read,
// the window shown and run until it closes. Windows only.
#pragma once

#include <windows.h>

namespace sumbrook {

// The process's exit code (see verify/RunExitCode.h); 2 for a command line that
// cannot be followed (said in a message box unless /close is among the
// arguments).
int RunVerifierProgram(HINSTANCE instance, int show);

}  // namespace sumbrook
