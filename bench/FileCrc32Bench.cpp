// The file checksum against a plain read of the same cached file, in the same
// block size with one reused buffer: how much the checksum adds to reading.
// Run by hand under Wine:
//   cmake/wine-run.sh build/win/bench/file_crc32_bench.exe [file] [MiB]
// Without a file it writes a 1 GiB file of pseudo-random bytes into the
// temporary directory and deletes it at the end.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "crc/Crc32.h"
#include "crc/Crc32Tiers.h"
#include "files/FileChecksum.h"
#include "platform/WinHandles.h"

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

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t mebibytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;
    const std::uint64_t size = mebibytes << 20;
    std::string path;
    const bool ownFile = argc < 2;
    if (ownFile) {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof(temp), temp);
        path = std::string(temp) + "sumbrook-file-crc32-bench.bin";
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
    std::vector<unsigned char> checksumBuffer;
    const std::uint64_t bytes = PlainRead(path, readBuffer);  // into the cache
    std::printf("file %s: %llu bytes, block %u KiB, engine tier %s\n", path.c_str(),
                static_cast<unsigned long long>(bytes),
                static_cast<unsigned>(sumbrook::kFileReadBlockSize >> 10),
                sumbrook::Crc32TierName(sumbrook::Crc32DispatchedTier()));

    Timing plain;
    Timing checksum;
    Timing fileCrc;
    std::string text;
    const auto rate = [bytes](double seconds) {
        return static_cast<double>(bytes) / seconds / 1e9;
    };
    for (int round = 0; round < 7; ++round) {
        double start = Seconds();
        PlainRead(path, readBuffer);
        plain.rates.push_back(rate(Seconds() - start));

        start = Seconds();
        sumbrook::ChecksumFile(path, checksumBuffer);
        checksum.rates.push_back(rate(Seconds() - start));

        start = Seconds();
        text = sumbrook::FileCrc32(path);
        fileCrc.rates.push_back(rate(Seconds() - start));
    }

    std::printf("CRC %s\n\n%-28s %10s %10s %10s\n", text.c_str(), "GB/s over 7 rounds", "median",
                "best", "ratio");
    const auto row = [&plain](const char* name, const Timing& t) {
        std::printf("%-28s %10.2f %10.2f %10.3f\n", name, t.Median(), t.Best(),
                    t.Median() / plain.Median());
    };
    row("ReadFile loop (baseline)", plain);
    row("ChecksumFile (buffer kept)", checksum);
    row("FileCrc32 [target >= 0.95]", fileCrc);

    if (ownFile) DeleteFileA(path.c_str());
    return 0;
}
