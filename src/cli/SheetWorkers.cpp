#include "cli/SheetWorkers.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace cli {

void forEachSheet(int count, const std::function<void(int)>& step)
{
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                step(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure) failure = std::current_exception();
            }
        }
    };
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(count, 1));
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& h : helpers) h.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace cli
