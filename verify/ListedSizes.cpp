#include "verify/ListedSizes.h"

#include <atomic>
#include <system_error>

#include "files/FileSize.h"
#include "platform/SpreadThread.h"

namespace sumbrook {

void OnThreads(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t i = next++; i < count; i = next++) work(i);
    };
    std::vector<SpreadThread> helpers;
    for (unsigned job = 1; job < jobs && job < count; ++job) {
        try {
            helpers.emplace_back(job - 1, drain);
        } catch (const std::system_error&) {
            break;
        }
    }
    drain();
    for (SpreadThread& helper : helpers) helper.join();
}

void QueryMissingSizes(std::vector<PlainFile>& files, unsigned jobs) {
    OnThreads(files.size(), jobs, [&](std::size_t i) {
        PlainFile& file = files[i];
        if (!file.sized) file.sized = QueryFileSize(file.path, file.size);
    });
}

}  // namespace sumbrook
