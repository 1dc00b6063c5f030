#include "app/BackgroundThreads.h"

BackgroundThreads::~BackgroundThreads()
{
    for (Running& r : running_) r.thread.join();
}

void BackgroundThreads::run(std::function<void()> work)
{
    // Those that have finished are joined now, so the list stays short.
    std::erase_if(running_, [](Running& r) {
        if (!r.done->load()) return false;
        r.thread.join();
        return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([work = std::move(work), done] {
        work();
        done->store(true);
    });
    running_.push_back({std::move(thread), std::move(done)});
}
