// The program's entry: one COM apartment around one run of the main dialog,
// exit code 0 on every path. The command line and the show state handed over
// by the launcher are not consulted.
#include <objbase.h>
#include <windows.h>

#include "app/MainDialog.h"

namespace sumbrook {
namespace {

[[noreturn]] void ApplicationMain() {
    const bool comReady = SUCCEEDED(CoInitialize(nullptr));
    HINSTANCE instance = GetModuleHandleA(nullptr);
    try {
        ShowMainDialog(instance);
    } catch (...) {
        // Nothing to report: the program ends with 0 whatever happened.
    }
    if (comReady) CoUninitialize();
    ExitProcess(0);
}

}  // namespace
}  // namespace sumbrook

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    sumbrook::ApplicationMain();
}
