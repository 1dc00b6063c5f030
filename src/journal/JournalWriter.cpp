#include "journal/JournalWriter.h"

#include <exception>

namespace journal {

JournalWriter::JournalWriter(std::unique_ptr<Journal> journal, Report report)
    : journal_(std::move(journal)), report_(std::move(report)), thread_([this] { loop(); })
{
}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

quint64 JournalWriter::post(Workbook book, std::function<void(Workbook&)> complete)
{
    quint64 n = 0;
    {
        const std::lock_guard lock(mutex_);
        n = ++posts_;
        // A workbook still waiting is replaced: each write commits the whole state.
        if (!queue_.empty() && queue_.back().book) {
            queue_.back().book = std::move(book);
            queue_.back().complete = std::move(complete);
            queue_.back().post = n;
            return n;
        }
        queue_.push_back(Task{std::move(book), std::move(complete), n, {}});
    }
    wake_.notify_all();
    return n;
}

void JournalWriter::postSnapshot(Snapshot snapshot)
{
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(Task{std::nullopt, {}, 0, [s = std::move(snapshot)](Journal& j) { j.addSnapshot(s); }});
    }
    wake_.notify_all();
}

void JournalWriter::run(const std::function<void(Journal&)>& task)
{
    std::exception_ptr error;
    bool done = false;
    std::mutex m;
    std::condition_variable finished;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(Task{std::nullopt, {}, 0, [&](Journal& j) {
                                  try {
                                      task(j);
                                  } catch (...) {
                                      error = std::current_exception();
                                  }
                                  const std::lock_guard l(m);
                                  done = true;
                                  finished.notify_all();
                              }});
    }
    wake_.notify_all();
    std::unique_lock l(m);
    finished.wait(l, [&] { return done; });
    l.unlock();
    if (error) std::rethrow_exception(error);
}

void JournalWriter::waitIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void JournalWriter::loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return; // stopping, nothing left
        Task task = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        QString error;
        try {
            if (task.book && task.complete) task.complete(*task.book);
            if (task.book) journal_->write(*task.book);
            else task.work(*journal_);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        // Workbooks are reported; snapshot failures too, as a failed write.
        if ((task.book || !error.isEmpty()) && report_) report_(task.post, error);
        task = Task{};
        lock.lock();
        busy_ = false;
        if (queue_.empty()) idle_.notify_all();
    }
}

} // namespace journal
