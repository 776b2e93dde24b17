#include "verify/ListedSizes.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "files/FileSize.h"

namespace sumbrook {

void QueryMissingSizes(std::vector<PlainFile>& files, unsigned jobs) {
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            PlainFile& file = files[i];
            if (!file.sized) file.sized = QueryFileSize(file.path, file.size);
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned job = 1; job < jobs && job < files.size(); ++job) {
        try {
            helpers.emplace_back(drain);
        } catch (const std::system_error&) {
            break;
        }
    }
    drain();
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace sumbrook
