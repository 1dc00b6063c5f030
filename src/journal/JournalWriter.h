// The journal on a thread of its own, so that the window never waits for the disk: the window
// posts the workbook as it is now; the thread commits it, folding posts that queued up while
// it was writing into one commit, and reports each commit or failure.
#pragma once
#include "journal/Journal.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace journal {

class JournalWriter {
public:
    // Called on the writer's thread after each commit: the number of the last post it
    // holds, and an empty text, or the failure's message.
    using Report = std::function<void(quint64 post, const QString& error)>;

    JournalWriter(std::unique_ptr<Journal> journal, Report report);
    // Writes what is still queued, then stops; the session stays as it is (not closed).
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Queues the workbook; returns the number of this post. `complete`, when given, finishes
    // the workbook on the writer's thread before it is written (work the caller need not wait for).
    quint64 post(Workbook book, std::function<void(Workbook&)> complete = {});
    // Queues a snapshot, written before anything posted after it.
    void postSnapshot(Snapshot snapshot);
    // Runs `task` on the writer's thread after everything queued before it, and waits for it.
    // An error the task throws is thrown here.
    void run(const std::function<void(Journal&)>& task);
    // Waits until everything queued has been written.
    void waitIdle();

private:
    struct Task {
        std::optional<Workbook> book;
        std::function<void(Workbook&)> complete;
        quint64 post = 0;
        std::function<void(Journal&)> work;
    };
    void loop();

    std::unique_ptr<Journal> journal_;
    Report report_;
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<Task> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    quint64 posts_ = 0;
    std::thread thread_;
};

} // namespace journal
