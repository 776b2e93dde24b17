// Each kind of digest's speed, in one process:
//   hash_bench [KIND...]          every kind (or those named) over a 1 GiB
//                                 buffer in memory, the best of three rounds,
//                                 in GB/s
//   hash_bench --file KIND PATH   one pass over a file as sumbrook-cli -j1
//                                 reads it (files/: ChecksumFile), its
//                                 digest printed as `HEX  PATH` (what
//                                 bench/hash-bench.sh times against peers)
//   hash_bench --read WAY KIND PATH   POSIX: one pass over a file read one
//                                 way (pread64k, pread256k, pread4m: pread
//                                 in blocks of that size; map: mapped 16 MiB
//                                 at a time, hashed 2 MiB at once), to
//                                 choose the read path by (hash-bench.sh)
// Natively and under Wine (cmake/wine-run.sh build/win/bench/hash_bench.exe).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "files/AlignedReadBuffer.h"
#include "files/FileChecksum.h"
#include "hash/Hasher.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using sumbrook::DigestKind;

constexpr std::size_t kBufferSize = std::size_t{1} << 30;
constexpr std::size_t kPieceSize = std::size_t{128} << 10;
constexpr int kRounds = 3;

int Usage() {
    std::fprintf(stderr,
                 "usage: hash_bench [KIND...] | hash_bench --file KIND PATH | hash_bench --read "
                 "pread64k|pread256k|pread4m|map KIND PATH\n  KIND: %s\n",
                 sumbrook::DigestKindOptionList().c_str());
    return 2;
}

int HashFile(DigestKind kind, const char* path) {
    std::vector<unsigned char> buffer;
    const sumbrook::FileChecksum read = sumbrook::ChecksumFile(
        path, buffer, sumbrook::WithDigestKind(sumbrook::kPerThreadUtf8FileAccess, kind), 1);
    if (read.status != sumbrook::FileReadStatus::kOk) {
        std::fprintf(stderr, "hash_bench: cannot read %s\n", path);
        return 1;
    }
    std::printf("%s  %s\n", read.digest.Text().c_str(), path);
    return 0;
}

#ifndef _WIN32
int ReadFileOneWay(const std::string& way, DigestKind kind, const char* path) {
    const int fd = open(path, O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        std::fprintf(stderr, "hash_bench: cannot open %s\n", path);
        return 1;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    const auto hasher = sumbrook::MakeHasher(kind);
    bool failed = false;
    if (way == "map") {
        constexpr std::size_t kWindow = 16U << 20;
        constexpr std::size_t kSlice = 2U << 20;
        for (std::size_t at = 0; at < size && !failed; at += kWindow) {
            const std::size_t length = std::min(kWindow, size - at);
            void* mapping =
                mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(at));
            failed = mapping == MAP_FAILED;
            if (failed) break;
            madvise(mapping, length, MADV_SEQUENTIAL);
            for (std::size_t done = 0; done < length; done += kSlice) {
                hasher->Update(static_cast<const unsigned char*>(mapping) + done,
                               std::min(kSlice, length - done));
            }
            munmap(mapping, length);
        }
    } else {
        const std::size_t block = way == "pread64k"    ? 64U << 10
                                  : way == "pread256k" ? 256U << 10
                                  : way == "pread4m"   ? 4U << 20
                                                       : 0;
        if (block == 0) return Usage();
        // Page-aligned, as files/ reads.
        std::vector<unsigned char> buffer;
        unsigned char* const data = sumbrook::AlignedReadBuffer(buffer, block);
        for (std::size_t at = 0; at < size && !failed;) {
            const ssize_t got = pread(fd, data, std::min(block, size - at), static_cast<off_t>(at));
            failed = got <= 0;
            if (failed) break;
            hasher->Update(data, static_cast<std::size_t>(got));
            at += static_cast<std::size_t>(got);
        }
    }
    close(fd);
    if (failed) {
        std::fprintf(stderr, "hash_bench: cannot read %s\n", path);
        return 1;
    }
    std::printf("%s  %s\n", hasher->Finish().Text().c_str(), path);
    return 0;
}
#endif

struct Seconds {
    double wall;
    double processor;  // the process's processor time (POSIX; msvcrt's clock() is wall time)
};

Seconds SecondsOf(DigestKind kind, const std::vector<unsigned char>& buffer) {
    const auto hasher = sumbrook::MakeHasher(kind);
    const auto start = Clock::now();
    const std::clock_t startTicks = std::clock();
    for (std::size_t done = 0; done < buffer.size(); done += kPieceSize) {
        hasher->Update(buffer.data() + done, std::min(kPieceSize, buffer.size() - done));
    }
    const std::string text = hasher->Finish().Text();
    const Seconds seconds{std::chrono::duration<double>(Clock::now() - start).count(),
                          static_cast<double>(std::clock() - startTicks) / CLOCKS_PER_SEC};
    if (text.empty()) std::puts("");  // keeps the digest alive
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--file") {
        if (args.size() != 3) return Usage();
        const auto kind = sumbrook::DigestKindFromName(args[1]);
        if (!kind) return Usage();
        return HashFile(*kind, args[2].c_str());
    }
#ifndef _WIN32
    if (!args.empty() && args[0] == "--read") {
        if (args.size() != 4) return Usage();
        const auto kind = sumbrook::DigestKindFromName(args[2]);
        if (!kind) return Usage();
        return ReadFileOneWay(args[1], *kind, args[3].c_str());
    }
#endif
    std::vector<DigestKind> kinds;
    for (const std::string& name : args) {
        const auto kind = sumbrook::DigestKindFromName(name);
        if (!kind) return Usage();
        kinds.push_back(*kind);
    }
    if (kinds.empty()) {
        for (std::size_t i = 0; i < sumbrook::kDigestKindCount; ++i) {
            kinds.push_back(static_cast<DigestKind>(i));
        }
    }

    // Pseudo-random bytes (xorshift), every page touched before timing.
    std::vector<unsigned char> buffer(kBufferSize);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i < buffer.size(); i += sizeof state) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(buffer.data() + i, &state, sizeof state);
    }

    // On a machine shared with other work the processor time tells the
    // hasher's own speed; the wall time includes the waits for a processor.
    std::printf("1 GiB in memory, best of %d rounds, GB/s\n%-8s %10s %10s\n", kRounds, "kind",
                "processor", "wall");
    const double bytes = static_cast<double>(buffer.size());
    for (const DigestKind kind : kinds) {
        Seconds best{1e30, 1e30};
        for (int round = 0; round < kRounds; ++round) {
            const Seconds seconds = SecondsOf(kind, buffer);
            best.wall = std::min(best.wall, seconds.wall);
            best.processor = std::min(best.processor, seconds.processor);
        }
        std::printf("%-8s %10.2f %10.2f\n", sumbrook::DigestKindName(kind),
                    bytes / best.processor / 1e9, bytes / best.wall / 1e9);
        std::fflush(stdout);
    }
    return 0;
}
