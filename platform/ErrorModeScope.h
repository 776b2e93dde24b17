// Whom the error-mode rule is set for (Windows; elsewhere there is no rule).
#pragma once

namespace sumbrook {

enum class ErrorModeScope {
    kProcess,  // SetErrorMode: the dialog's one thread, around each call
    kThread,   // SetThreadErrorMode: readers running side by side, each for itself
};

}  // namespace sumbrook
