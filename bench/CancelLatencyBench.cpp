// How long a run takes to end once its cancel flag is set in the middle of
// a cached 1 GiB file: 20 rounds, each cancelled at another point of the
// file, the worst and the median printed. Natively and under Wine:
//   build/native/bench/cancel_latency_bench [file]
//   cmake/wine-run.sh build/win/bench/cancel_latency_bench.exe [file]
// Without a file it writes 1 GiB of pseudo-random bytes into the temporary
// folder ($TMPDIR, %TEMP%, else the current one) and deletes it at the end.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"

namespace {

using Clock = std::chrono::steady_clock;
using sumbrook::FileReadControl;

constexpr int kRounds = 20;
constexpr std::uint64_t kFileSize = 1ULL << 30;

std::string TempFile() {
    for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
        if (const char* folder = std::getenv(name)) {
            return std::string(folder) + "/sumbrook-cancel-bench.bin";
        }
    }
    return "sumbrook-cancel-bench.bin";
}

bool WriteFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    std::vector<std::uint64_t> block((16U << 20) / sizeof(std::uint64_t));
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    bool ok = true;
    for (std::uint64_t written = 0; ok && written < kFileSize; written += 16U << 20) {
        for (std::uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        ok = std::fwrite(block.data(), 1, 16U << 20, file) == 16U << 20;
    }
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    const bool own = argc < 2;
    const std::string path = own ? TempFile() : argv[1];
    if (own && !WriteFile(path)) {
        std::fprintf(stderr, "cancel_latency_bench: cannot write %s\n", path.c_str());
        return 1;
    }
    const std::vector<sumbrook::FileToRead> files{{path, ""}};
    const unsigned jobs = sumbrook::DefaultJobCount();
    // Once whole into the cache, then once more to know how long a whole
    // read of the cached file takes.
    double wholeMs = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const Clock::time_point start = Clock::now();
        sumbrook::ChecksumInOrder(files, jobs, [](std::size_t, const sumbrook::FileChecksum&) {},
                                  {});
        wholeMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

    std::vector<double> latencies;
    int finished = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::atomic<bool> cancel{false};
        FileReadControl control(&cancel, std::max(jobs, sumbrook::UsableProcessorCount()));
        // Spread over the first 60% of a whole read.
        const auto delay = std::chrono::microseconds(
            static_cast<long long>(wholeMs * 1000.0 * 0.6 * (round + 1) / (kRounds + 1)));
        Clock::time_point setAt;
        std::thread canceller([&] {
            std::this_thread::sleep_for(delay);
            setAt = Clock::now();
            cancel = true;
        });
        const bool completed = sumbrook::ChecksumInOrder(
            files, jobs, [](std::size_t, const sumbrook::FileChecksum&) {}, {},
            sumbrook::PerThreadUtf8Reader(false, &control), &control);
        const Clock::time_point returned = Clock::now();
        canceller.join();
        if (completed) {
            ++finished;
            continue;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(returned - setAt).count());
    }
    if (own) std::remove(path.c_str());
    std::sort(latencies.begin(), latencies.end());
    std::printf("whole read of 1 GiB (cached, %u jobs): %.1f ms\n", jobs, wholeMs);
    if (latencies.empty()) {
        std::printf("every round finished before its cancel\n");
        return 1;
    }
    std::printf(
        "cancel latency over %zu rounds: worst %.2f ms, median %.2f ms (%d finished first)\n",
        latencies.size(), latencies.back(), latencies[latencies.size() / 2], finished);
    return 0;
}
