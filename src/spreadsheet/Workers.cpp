#include "spreadsheet/Workers.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace spreadsheet {

void forEachIndex(int count, const std::function<void(int)>& step)
{
    if (count <= 0) return;
    std::atomic<int> next{0};
    std::atomic<int> firstFailed{INT_MAX}; // steps above it are not started any more
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (int i = next++; i < count && i < firstFailed.load(); i = next++) {
            try {
                step(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (i < firstFailed.load()) {
                    firstFailed = i;
                    failure = std::current_exception();
                }
            }
        }
    };
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, count);
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(threads - 1));
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no more threads to be had (address space, process limits): fewer do it all
        } catch (const std::bad_alloc&) {
            break;
        }
    }
    work();
    for (std::thread& h : helpers) h.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace spreadsheet
