// SumbrookVerify.exe: the verification window.
#include <windows.h>

#include "verifier/win/VerifierProgram.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    return sumbrook::RunVerifierProgram(instance, show);
}
