#include "platform/MessageBox.h"

#include <windows.h>

namespace sumbrook {

void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    MessageBoxA(nullptr, text.c_str(), title.c_str(),
                MB_OK | MB_TASKMODAL | static_cast<UINT>(icon));
}

}  // namespace sumbrook
