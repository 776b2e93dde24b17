// Who made the processor the program runs on, and its family, as CPUID
// tells them (all false and 0 off x86): the code paths that measured apart
// on Intel's and on AMD's processors each keep what measured best on its
// own (hash/GcryptStart.cpp, files/RunningDigest.h,
// files/FileChecksumPosix.cpp). Asked once.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace sumbrook {

struct ProcessorMaker {
    bool intel = false;
    bool amd = false;
    unsigned family = 0;  // with the extended family added, as AMD numbers them
};

inline const ProcessorMaker& ThisProcessor() {
    static const ProcessorMaker maker = [] {
        ProcessorMaker found;
#if defined(__x86_64__) || defined(__i386__)
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return found;
        found.intel =
            ebx == 0x756e6547 && edx == 0x49656e69 && ecx == 0x6c65746e;          // "GenuineIntel"
        found.amd = ebx == 0x68747541 && edx == 0x69746e65 && ecx == 0x444d4163;  // "AuthenticAMD"
        if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return found;
        const unsigned base = (eax >> 8) & 0xF;
        found.family = base == 0xF ? base + ((eax >> 20) & 0xFF) : base;
#endif
        return found;
    }();
    return maker;
}

}  // namespace sumbrook
