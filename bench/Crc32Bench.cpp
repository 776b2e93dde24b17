// Throughput of the checksum engine against the byte-wise reference.
#include <benchmark/benchmark.h>

#include <vector>

#include "crc/Crc32.h"

namespace {

void BM_ByteWise(benchmark::State& state) {
    std::vector<unsigned char> data(static_cast<std::size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sumbrook::Crc32UpdateByteWise(0, data.data(), data.size()));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Engine(benchmark::State& state) {
    std::vector<unsigned char> data(static_cast<std::size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sumbrook::Crc32Update(0, data.data(), data.size()));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ByteWise)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_Engine)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20);

}  // namespace
