// The file checksum against a plain read of the same file: how much the
// checksum adds to reading, on one thread and in parts, in one run.
// Run under Wine by `make bench-win`, or by hand:
//   cmake/wine-run.sh build/win/bench/file_crc32_bench.exe [file] [MiB]
// Without a file (or with "-") it writes a 1 GiB file of pseudo-random bytes
// (or [MiB]) into the temporary directory and deletes it at the end. Then
// the same for smaller files around where reading in parts starts to pay.
//   file_crc32_bench.exe --once plain|one|parts FILE
// times one call only (for a file just dropped from the cache).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "crc/Crc32Tiers.h"
#include "files/FileChecksum.h"
#include "files/FileChecksumParts.h"
#include "platform/WinHandles.h"

namespace {

using sumbrook::ScopedFileHandle;

constexpr int kRounds = 7;

double Seconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteTestFile(const std::string& path, std::uint64_t size) {
    ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    std::vector<std::uint32_t> block(sumbrook::kFileReadBlockSize / 4);
    std::uint32_t x = 2463534242U;
    for (std::uint64_t written = 0; written < size;) {
        for (auto& word : block) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            word = x;
        }
        const DWORD piece = static_cast<DWORD>(std::min<std::uint64_t>(
            size - written, std::uint64_t{block.size()} * sizeof(block[0])));
        DWORD done = 0;
        if (!WriteFile(file.Get(), block.data(), piece, &done, nullptr) || done != piece) {
            return false;
        }
        written += piece;
    }
    return true;
}

// The baseline: open as the checksum does and read every block into a
// page-aligned buffer (as the checksum reads) on one thread, touching nothing.
std::uint64_t PlainRead(const std::string& path) {
    ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) return 0;
    constexpr std::size_t kPage = 4096;
    std::vector<unsigned char> buffer(sumbrook::kFileReadBlockSize + kPage);
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
    unsigned char* const data = buffer.data() + (kPage - address % kPage) % kPage;
    std::uint64_t total = 0;
    DWORD got = 0;
    while (ReadFile(file.Get(), data, static_cast<DWORD>(sumbrook::kFileReadBlockSize), &got,
                    nullptr) &&
           got > 0) {
        total += got;
    }
    return total;
}

// FileCrc32 as it read before parts: one thread, a fresh buffer per call.
void OneThreadFileCrc32(const std::string& path) {
    std::vector<unsigned char> buffer;
    sumbrook::ChecksumFile(path, buffer, sumbrook::kDialogFileAccess, 1);
}

// FileCrc32's read with reading in parts from `threshold` bytes on.
void PartsFrom(const std::string& path, std::uint64_t threshold) {
    sumbrook::FilePartsSettings settings;
    settings.threshold = threshold;
    std::vector<unsigned char> buffer;
    sumbrook::ChecksumFileWith(path, buffer, sumbrook::kDialogFileAccess, settings);
}

// Runs `body` with the process pinned to its first allowed processor.
void Pinned(const std::function<void()>& body) {
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask);
    SetProcessAffinityMask(GetCurrentProcess(), processMask & (~processMask + 1));
    body();
    SetProcessAffinityMask(GetCurrentProcess(), processMask);
}

struct Contender {
    const char* name;
    std::function<void()> run;
    std::vector<double> rates;  // GB/s of each round

    double Median() const {
        std::vector<double> sorted = rates;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }
    double Best() const {
        return rates.empty() ? 0.0 : *std::max_element(rates.begin(), rates.end());
    }
};

// Times every contender `calls` times per round, kRounds rounds, the order
// turning from round to round so that none always runs first.
void Compare(std::vector<Contender>& contenders, std::uint64_t bytes, int calls) {
    const std::size_t count = contenders.size();
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t i = 0; i < count; ++i) {
            Contender& contender = contenders[(static_cast<std::size_t>(round) + i) % count];
            const double start = Seconds();
            for (int call = 0; call < calls; ++call) contender.run();
            const double seconds = Seconds() - start;
            contender.rates.push_back(static_cast<double>(bytes) * calls / seconds / 1e9);
        }
    }
}

std::string TempFilePath(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(temp), temp);
    return std::string(temp) + name;
}

int TimeOnce(const std::string& mode, const std::string& path) {
    std::uint64_t bytes = 0;
    const double start = Seconds();
    if (mode == "plain") {
        bytes = PlainRead(path);
    } else {
        std::vector<unsigned char> buffer;
        const sumbrook::FileChecksum checksum = sumbrook::ChecksumFile(
            path, buffer, sumbrook::kDialogFileAccess, mode == "one" ? 1 : 4);
        bytes = checksum.size;
    }
    const double seconds = Seconds() - start;
    std::printf("%-6s %8.3f GB/s  %.3f s\n", mode.c_str(),
                static_cast<double>(bytes) / seconds / 1e9, seconds);
    return bytes > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0) return TimeOnce(argv[2], argv[3]);

    const std::uint64_t mebibytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;
    std::string path;
    const bool ownFile = argc < 2 || std::string(argv[1]) == "-";
    if (ownFile) {
        path = TempFilePath("sumbrook-file-crc32-bench.bin");
        std::printf("writing %llu MiB to %s\n", static_cast<unsigned long long>(mebibytes),
                    path.c_str());
        if (!WriteTestFile(path, mebibytes << 20)) {
            std::printf("cannot write the test file\n");
            return 1;
        }
    } else {
        path = argv[1];
    }

    const std::uint64_t bytes = PlainRead(path);  // into the cache
    std::printf("file %s: %llu bytes, block %u KiB, %u usable processors, engine tier %s\n",
                path.c_str(), static_cast<unsigned long long>(bytes),
                static_cast<unsigned>(sumbrook::kFileReadBlockSize >> 10),
                sumbrook::UsableProcessorCount(),
                sumbrook::Crc32TierName(sumbrook::Crc32DispatchedTier()));

    std::vector<Contender> contenders = {
        {"ReadFile loop, one thread", [&] { PlainRead(path); }, {}},
        {"FileCrc32, one thread", [&] { OneThreadFileCrc32(path); }, {}},
        {"FileCrc32 [target >= 1.1]", [&] { sumbrook::FileCrc32(path); }, {}},
        {"FileCrc32 pinned to 1 CPU", [&] { Pinned([&] { sumbrook::FileCrc32(path); }); }, {}},
    };
    Compare(contenders, bytes, 1);
    std::printf("CRC %s\n\nGB/s, %d rounds %30s %10s %10s %10s\n",
                sumbrook::FileCrc32(path).c_str(), kRounds, "median", "best", "/ReadFile",
                "/1 thread");
    for (const Contender& contender : contenders) {
        std::printf("%-44s %10.2f %10.2f %10.3f %10.3f\n", contender.name, contender.Median(),
                    contender.Best(), contender.Median() / contenders[0].Median(),
                    contender.Median() / contenders[1].Median());
    }
    std::printf("(pinned: target >= 0.95 of FileCrc32 on one thread)\n");
    if (ownFile) DeleteFileA(path.c_str());

    // Where parts start to pay: each size on one thread and in parts, a few
    // hundred MiB per round, so that starting threads counts as it would in a
    // directory of such files.
    std::printf("\nsmaller files, median GB/s\n%10s %12s %12s %12s %8s\n", "MiB", "ReadFile",
                "one thread", "in parts", "gain");
    const std::string smallPath = TempFilePath("sumbrook-file-crc32-bench-small.bin");
    for (const std::uint64_t smallMiB : {4U, 8U, 16U, 32U, 64U}) {
        const std::uint64_t smallSize = smallMiB << 20;
        if (!WriteTestFile(smallPath, smallSize)) {
            std::printf("cannot write the test file\n");
            return 1;
        }
        std::vector<Contender> small = {
            {"plain", [&] { PlainRead(smallPath); }, {}},
            {"one", [&] { OneThreadFileCrc32(smallPath); }, {}},
            {"parts", [&] { PartsFrom(smallPath, 1); }, {}},
        };
        const int calls = static_cast<int>(std::max<std::uint64_t>(1, (256U << 20) / smallSize));
        Compare(small, smallSize, calls);
        std::printf("%10llu %12.2f %12.2f %12.2f %8.3f\n",
                    static_cast<unsigned long long>(smallMiB), small[0].Median(), small[1].Median(),
                    small[2].Median(), small[2].Median() / small[1].Median());
    }
    DeleteFileA(smallPath.c_str());
    return 0;
}
