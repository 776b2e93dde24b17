// Whether the program runs on one of Intel's processors: the read paths
// were measured apart on Intel's and on AMD's (files/RunningDigest.h,
// files/FileChecksumPosix.cpp), and each keeps what measured best on its
// own. Asked of CPUID once. Internal to files/.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace sumbrook {

inline bool IntelProcessor() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool intel = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return false;
        return ebx == 0x756e6547 && edx == 0x49656e69 && ecx == 0x6c65746e;  // "GenuineIntel"
    }();
    return intel;
#else
    return false;
#endif
}

}  // namespace sumbrook
