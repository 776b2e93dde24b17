// The file checksum against a plain read of the same cached file, in the same
// block size with one reused buffer: how much the checksum adds to reading.
// Run by hand under Wine:
//   cmake/wine-run.sh build/win/bench/file_crc32_bench.exe [file] [MiB] [rounds]
// Without a file (or with "-") it writes a file of pseudo-random bytes, 1 GiB
// unless told, into the temporary directory and deletes it at the end. Then
// the same for files around kOverlappedReadThreshold, where the checksum
// starts to read on one thread and checksum on another; each of those rows
// times many calls, so thread start-up counts as it would in a directory run.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "crc/Crc32.h"
#include "crc/Crc32Tiers.h"
#include "crc/FileCrc32.h"
#include "platform/ScopedHandle.h"

namespace {

using sumbrook::ScopedFileHandle;

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
        const DWORD piece = static_cast<DWORD>(
            std::min<std::uint64_t>(size - written, block.size() * sizeof(block[0])));
        DWORD done = 0;
        if (!WriteFile(file.Get(), block.data(), piece, &done, nullptr) || done != piece) {
            return false;
        }
        written += piece;
    }
    return true;
}

// The baseline: open as the checksum does and read every block into a
// page-aligned buffer (as the checksum reads), touching nothing.
std::uint64_t PlainRead(const std::string& path, std::vector<unsigned char>& buffer) {
    ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) return 0;
    constexpr std::size_t kPage = 4096;
    buffer.resize(sumbrook::kFileReadBlockSize + kPage);
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

struct Timing {
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

// The plain read, ChecksumFile with its buffer kept, and FileCrc32, in that
// order, each timed over `calls` calls per round; the order of the three
// turns from round to round so that none always runs first.
struct Comparison {
    Timing timings[3];
    std::string text;
};

Comparison Compare(const std::string& path, std::uint64_t bytes, int rounds, int calls) {
    std::vector<unsigned char> readBuffer;
    std::vector<unsigned char> checksumBuffer;
    Comparison result;
    const std::function<void()> contenders[3] = {
        [&] { PlainRead(path, readBuffer); },
        [&] { sumbrook::ChecksumFile(path, checksumBuffer); },
        [&] { result.text = sumbrook::FileCrc32(path); },
    };
    for (const auto& contender : contenders) contender();  // warm-up
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            const int which = (round + i) % 3;
            const double start = Seconds();
            for (int call = 0; call < calls; ++call) contenders[which]();
            const double seconds = Seconds() - start;
            result.timings[which].rates.push_back(static_cast<double>(bytes) * calls / seconds /
                                                  1e9);
        }
    }
    return result;
}

void PrintRow(const char* name, const Timing& t, const Timing& plain) {
    std::printf("%-32s %10.2f %10.2f %10.3f\n", name, t.Median(), t.Best(),
                t.Median() / plain.Median());
}

std::string TempFilePath(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(temp), temp);
    return std::string(temp) + name;
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t mebibytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
    const std::uint64_t size = mebibytes << 20;
    std::string path;
    const bool ownFile = argc < 2 || std::string(argv[1]) == "-";
    if (ownFile) {
        path = TempFilePath("sumbrook-file-crc32-bench.bin");
        std::printf("writing %llu MiB to %s\n", static_cast<unsigned long long>(mebibytes),
                    path.c_str());
        if (!WriteTestFile(path, size)) {
            std::printf("cannot write the test file\n");
            return 1;
        }
    } else {
        path = argv[1];
    }

    std::vector<unsigned char> readBuffer;
    const std::uint64_t bytes = PlainRead(path, readBuffer);  // into the cache
    std::printf("file %s: %llu bytes, block %u KiB, engine tier %s\n", path.c_str(),
                static_cast<unsigned long long>(bytes),
                static_cast<unsigned>(sumbrook::kFileReadBlockSize >> 10),
                sumbrook::Crc32TierName(sumbrook::Crc32DispatchedTier()));

    const Comparison large = Compare(path, bytes, rounds, 1);
    std::printf("CRC %s\n\nGB/s over %2d rounds %22s %10s %10s\n", large.text.c_str(), rounds,
                "median", "best", "ratio");
    PrintRow("ReadFile loop (baseline)", large.timings[0], large.timings[0]);
    PrintRow("ChecksumFile (buffer kept)", large.timings[1], large.timings[0]);
    PrintRow("FileCrc32 [target >= 0.95]", large.timings[2], large.timings[0]);
    if (ownFile) DeleteFileA(path.c_str());

    // Around the threshold: the same three, each a few hundred MiB per round.
    std::printf("\nsmaller files, ratio to the ReadFile loop of the same file (median)\n");
    std::printf("%-14s %10s %14s %10s\n", "size", "read GB/s", "ChecksumFile", "FileCrc32");
    const std::uint64_t threshold = sumbrook::kOverlappedReadThreshold;
    const std::uint64_t sizes[] = {
        256U << 10,    threshold - 4096, threshold + 4096, threshold + (1U << 20),
        2 * threshold, 4 * threshold,    16U << 20,        64U << 20};
    const std::string smallPath = TempFilePath("sumbrook-file-crc32-bench-small.bin");
    for (const std::uint64_t smallSize : sizes) {
        if (!WriteTestFile(smallPath, smallSize)) {
            std::printf("cannot write the test file\n");
            return 1;
        }
        const int calls = static_cast<int>(std::max<std::uint64_t>(1, (256U << 20) / smallSize));
        const Comparison small = Compare(smallPath, smallSize, rounds, calls);
        std::printf("%10llu KiB %10.2f %14.3f %10.3f\n",
                    static_cast<unsigned long long>(smallSize >> 10), small.timings[0].Median(),
                    small.timings[1].Median() / small.timings[0].Median(),
                    small.timings[2].Median() / small.timings[0].Median());
    }
    DeleteFileA(smallPath.c_str());
    return 0;
}
