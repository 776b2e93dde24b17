// Throughput of the checksum engine, each of its tiers and the byte-wise
// reference, against public CRC-32 implementations and plain memory reads, in
// one run. After the benchmarks a summary prints GB/s and the ratios that
// matter, so that results from different machines compare as ratios.
#include <benchmark/benchmark.h>
#ifdef SUMBROOK_HAVE_ISAL
#include <isa-l/crc.h>
#endif
#ifdef SUMBROOK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif
#ifdef SUMBROOK_HAVE_ZLIB
#include <zlib.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "crc/Crc32.h"
#include "crc/Crc32Tiers.h"

namespace {

using sumbrook::Crc32Tier;

constexpr std::size_t kSizes[] = {std::size_t{4} << 10, std::size_t{64} << 10, std::size_t{1} << 20,
                                  std::size_t{256} << 20};

// One buffer for all benchmarks, filled once, so the large runs measure reads
// from memory and not page faults. It holds no zero byte (see ScanBytes).
const unsigned char* Data() {
    static const std::vector<unsigned char> buffer = [] {
        std::vector<unsigned char> bytes(kSizes[3] + 64);
        std::uint32_t x = 2463534242U;
        for (auto& b : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b = static_cast<unsigned char>(x % 255 + 1);
        }
        return bytes;
    }();
    return buffer.data() + 64;
}

using Checksum = std::uint32_t (*)(const unsigned char* data, std::size_t size);

struct Subject {
    std::string name;
    Checksum run;
};

// Plain memory-read bandwidth: every 64-bit word summed into independent lanes.
std::uint32_t SumWords(const unsigned char* data, std::size_t size) {
    std::uint64_t lanes[8] = {};
    const std::size_t words = size / sizeof(std::uint64_t);
    for (std::size_t i = 0; i + 8 <= words; i += 8) {
        for (std::size_t k = 0; k < 8; ++k) {
            std::uint64_t w;
            std::memcpy(&w, data + (i + k) * 8, 8);
            lanes[k] += w;
        }
    }
    std::uint64_t sum = 0;
    for (const std::uint64_t lane : lanes) sum += lane;
    return static_cast<std::uint32_t>(sum ^ (sum >> 32));
}

// The same with the C library's fastest scan, for a byte that is not there.
std::uint32_t ScanBytes(const unsigned char* data, std::size_t size) {
    return std::memchr(data, 0, size) == nullptr ? 0U : 1U;
}

template <Crc32Tier tier>
std::uint32_t Tier(const unsigned char* data, std::size_t size) {
    static const sumbrook::Crc32UpdateFunction update = sumbrook::Crc32TierUpdate(tier);
    return update(0, data, size);
}

std::vector<Subject> Subjects() {
    std::vector<Subject> subjects = {
        {"bytewise", [](const unsigned char* d,
                        std::size_t n) { return sumbrook::Crc32UpdateByteWise(0, d, n); }},
        {"engine",
         [](const unsigned char* d, std::size_t n) { return sumbrook::Crc32Update(0, d, n); }},
    };
    const std::pair<Crc32Tier, Checksum> tiers[] = {
        {Crc32Tier::kVpclmulAvx512, Tier<Crc32Tier::kVpclmulAvx512>},
        {Crc32Tier::kVpclmulAvx2, Tier<Crc32Tier::kVpclmulAvx2>},
        {Crc32Tier::kPclmulSse41, Tier<Crc32Tier::kPclmulSse41>},
        {Crc32Tier::kPortable, Tier<Crc32Tier::kPortable>},
    };
    for (const auto& [tier, run] : tiers) {
        if (sumbrook::Crc32TierUpdate(tier) != nullptr) {
            subjects.push_back({std::string("tier:") + sumbrook::Crc32TierName(tier), run});
        } else {
            std::printf("tier %s not available here: skipped\n", sumbrook::Crc32TierName(tier));
        }
    }
#ifdef SUMBROOK_HAVE_ZLIB
    subjects.push_back({"zlib", [](const unsigned char* d, std::size_t n) {
                            // zlib takes its length as uInt: feed it in pieces.
                            uLong crc = crc32(0L, Z_NULL, 0);
                            while (n > 0) {
                                const uInt piece =
                                    static_cast<uInt>(std::min<std::size_t>(n, 1U << 30));
                                crc = crc32(crc, d, piece);
                                d += piece;
                                n -= piece;
                            }
                            return static_cast<std::uint32_t>(crc);
                        }});
#endif
#ifdef SUMBROOK_HAVE_LIBDEFLATE
    subjects.push_back({"libdeflate", [](const unsigned char* d, std::size_t n) {
                            return static_cast<std::uint32_t>(libdeflate_crc32(0, d, n));
                        }});
#endif
#ifdef SUMBROOK_HAVE_ISAL
    subjects.push_back({"isal", [](const unsigned char* d, std::size_t n) {
                            return static_cast<std::uint32_t>(crc32_gzip_refl(0, d, n));
                        }});
#endif
    subjects.push_back({"memread:sum64", SumWords});
    subjects.push_back({"memread:memchr", ScanBytes});
    return subjects;
}

// Collects the median (or single) GB/s of every benchmark for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const auto rate = run.counters.find("bytes_per_second");
            if (rate == run.counters.end()) continue;
            const std::string name = run.run_name.function_name;
            const std::size_t size = std::stoull(run.run_name.args);
            rates_[name][size] = rate->second.value / 1e9;
        }
    }

    void PrintSummary() const {
        std::printf("\nGB/s (median of the repetitions)\n%-16s", "");
        for (const std::size_t size : kSizes) std::printf("%12s", SizeName(size).c_str());
        std::printf("\n");
        for (const auto& [name, bySize] : rates_) {
            std::printf("%-16s", name.c_str());
            for (const std::size_t size : kSizes) std::printf("%12.2f", Rate(name, size));
            std::printf("\n");
        }

        std::printf("\nRatios (target in brackets)\n%-32s", "");
        for (const std::size_t size : kSizes) std::printf("%12s", SizeName(size).c_str());
        std::printf("\n");
        PrintRatio("engine / isal [>=0.9 4K, 0.95]", "engine", "isal");
        PrintRatio("engine / libdeflate", "engine", "libdeflate");
        PrintRatio("engine / zlib", "engine", "zlib");
        PrintRatio("engine / memread [>=0.95 256M]", "engine", "memread");
        PrintRatio("tier:avx512 / isal", "tier:avx512", "isal");
        PrintRatio("tier:avx2 / isal", "tier:avx2", "isal");
        PrintRatio("tier:pclmul / libdeflate [0.9]", "tier:pclmul", "libdeflate");
        PrintRatio("tier:portable / zlib [>=1]", "tier:portable", "zlib");
        PrintRatio("engine / bytewise", "engine", "bytewise");
    }

  private:
    static std::string SizeName(std::size_t size) {
        return size >= (1U << 20) ? std::to_string(size >> 20) + " MiB"
                                  : std::to_string(size >> 10) + " KiB";
    }

    // "memread" is the faster of the two plain reads.
    double Rate(const std::string& name, std::size_t size) const {
        if (name == "memread") {
            return std::max(Rate("memread:sum64", size), Rate("memread:memchr", size));
        }
        const auto found = rates_.find(name);
        if (found == rates_.end()) return 0.0;
        const auto rate = found->second.find(size);
        return rate == found->second.end() ? 0.0 : rate->second;
    }

    void PrintRatio(const char* label, const std::string& a, const std::string& b) const {
        std::printf("%-32s", label);
        for (const std::size_t size : kSizes) {
            const double denominator = Rate(b, size);
            if (Rate(a, size) > 0 && denominator > 0) {
                std::printf("%12.3f", Rate(a, size) / denominator);
            } else {
                std::printf("%12s", "-");
            }
        }
        std::printf("\n");
    }

    std::map<std::string, std::map<std::size_t, double>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    // Unless told otherwise: nine short repetitions, run in random order so
    // that a busy moment of the machine does not favour one subject; the
    // summary uses their medians.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=9";
    std::string minTime = "--benchmark_min_time=0.1";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i) {
        repetitionsGiven |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    }
    if (!repetitionsGiven) {
        args.push_back(repetitions.data());
        args.push_back(minTime.data());
        args.push_back(interleaving.data());
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

    std::printf("Crc32Update dispatches to tier %s\n",
                sumbrook::Crc32TierName(sumbrook::Crc32DispatchedTier()));
    for (const Subject& subject : Subjects()) {
        for (const std::size_t size : kSizes) {
            auto* b = benchmark::RegisterBenchmark(
                subject.name.c_str(), [run = subject.run, size](benchmark::State& state) {
                    const unsigned char* data = Data();
                    for (auto _ : state) benchmark::DoNotOptimize(run(data, size));
                    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                            static_cast<std::int64_t>(size));
                });
            b->Arg(static_cast<std::int64_t>(size));
        }
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
