// What the readers of a check of many small files could reach at best: every
// regular file of one folder opened, read in 64 KiB blocks into a page-aligned
// buffer, hashed (SHA-256) and closed on JOBS threads, with no list, plan,
// rows or report (bench/digest-bench.sh sets the check's two jobs against
// one beside this loop's, in the same run). POSIX only.
// Usage: small_files_bound JOBS FOLDER
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "files/AlignedReadBuffer.h"
#include "hash/Hasher.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: small_files_bound JOBS FOLDER\n");
        return 2;
    }
    const int jobs = std::atoi(argv[1]);
    const std::string folder = argv[2];
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_type == DT_REG) names.push_back(folder + "/" + entry->d_name);
        }
        closedir(dir);
    }
    std::atomic<std::size_t> next{0};
    std::atomic<unsigned> failed{0};
    const auto work = [&] {
        constexpr std::size_t kBlock = 64U << 10;
        std::vector<unsigned char> buffer;
        unsigned char* const data = sumbrook::AlignedReadBuffer(buffer, kBlock);
        for (std::size_t index = next++; index < names.size(); index = next++) {
            const int fd = open(names[index].c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            struct stat info {};
            if (fd < 0 || fstat(fd, &info) != 0) {
                ++failed;
                if (fd >= 0) close(fd);
                continue;
            }
            const auto hasher = sumbrook::MakeHasher(sumbrook::DigestKind::kSha256);
            for (off_t at = 0; at < info.st_size;) {
                const ssize_t got = pread(fd, data, kBlock, at);
                if (got <= 0) break;
                hasher->Update(data, static_cast<std::size_t>(got));
                at += got;
            }
            hasher->Finish();
            close(fd);
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(std::max(jobs, 0)));
    for (int job = 0; job < jobs; ++job) threads.emplace_back(work);
    for (std::thread& thread : threads) thread.join();
    std::printf("%zu files, %u failed\n", names.size(), failed.load());
    return failed == 0 ? 0 : 1;
}
