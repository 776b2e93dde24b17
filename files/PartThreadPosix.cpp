#include <system_error>

#include "files/PartThread.h"

namespace sumbrook {

bool PartThread::Start(Work work, void* context) {
    task_ = {work, context};
    try {
        thread_ = std::thread(task_.work, task_.context);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void PartThread::Join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace sumbrook
