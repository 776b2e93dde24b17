#include "platform/LocalClock.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/ErrorModeGuard.h"
#else
#include <ctime>
#endif

namespace sumbrook {

LocalDateTime LocalNow() {
#ifdef _WIN32
    SYSTEMTIME now;
    {
        ErrorModeGuard guard;
        GetLocalTime(&now);
    }
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
#endif
}

}  // namespace sumbrook
