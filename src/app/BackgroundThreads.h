// Work the window hands off so that its own thread never waits for the network: a connection
// test, or the end of a store's worker or watcher (which waits for a connection attempt to give
// up). Each runs on a thread of its own; the destructor waits for those still running.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class BackgroundThreads {
public:
    BackgroundThreads() = default;
    ~BackgroundThreads();
    BackgroundThreads(const BackgroundThreads&) = delete;
    BackgroundThreads& operator=(const BackgroundThreads&) = delete;

    void run(std::function<void()> work);

private:
    struct Running {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Running> running_;
};
