// An open CNG algorithm provider (BCryptOpenAlgorithmProvider), closed when
// its owner goes. Windows only; the includer links bcrypt.
#pragma once

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include "platform/ScopedHandle.h"

namespace sumbrook {

struct CngAlgorithmHandleTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return BCRYPT_SUCCESS(BCryptCloseAlgorithmProvider(h, 0)); }
};
using ScopedCngAlgorithm = ScopedHandle<CngAlgorithmHandleTraits>;

}  // namespace sumbrook
