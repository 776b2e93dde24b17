// Every message of the program: no owner window, task-modal, one OK button.
#pragma once

#include <string>

namespace sumbrook {

enum class MessageIcon : unsigned {
    kError = 0x10,        // MB_ICONHAND
    kWarning = 0x30,      // MB_ICONEXCLAMATION
    kInformation = 0x40,  // MB_ICONINFORMATION
};

// Shows the message and returns once the user has closed it. Multi-line texts
// are joined with CR LF (see JoinLines).
void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon);

}  // namespace sumbrook
