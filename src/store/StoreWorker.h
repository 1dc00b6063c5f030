// The store off the window's thread: one worker thread holds the connection (made on first
// use, made again after it broke) and the outbox, runs the jobs given to it one after the
// other, and hands each result back on the thread the worker was made on. A publication that
// cannot reach the server is kept in the outbox (on the disk before the answer says so) and
// sent, in order, once the server answers again: before any newer publication, and every
// `flushIntervalMs` while some are pending.
#pragma once
#include "store/Outbox.h"
#include "store/Store.h"
#include "store/Target.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

class QTimer;

#include <functional>
#include <memory>
#include <optional>

namespace store {

template <class R>
struct Outcome {
    std::optional<R> value;
    std::optional<StoreError> error;
};

struct PublishOutcome {
    enum class Kind { Stored, Kept, Failed };
    Kind kind = Kind::Failed;
    PublishCounts counts;             // Stored
    int keptLots = 0;                 // Kept
    std::optional<StoreError> error;  // Kept: why the server was not reached; Failed: why nothing was stored
    // The window's message: the counts, that the lots were kept, or the failure.
    QString message() const;
};

class StoreWorker : public QObject {
    Q_OBJECT
public:
    struct Setup {
        Target target;
        Credentials credentials;
        QString outboxPath;          // empty: no outbox (a failure is a failure)
        QString station;
        int flushIntervalMs = 30000;
    };
    explicit StoreWorker(Setup setup, QObject* parent = nullptr);
    // Waits for the job running now and the ones queued.
    ~StoreWorker() override;

    // Runs `job` on the worker with the store; `done` gets its value or its StoreError on this
    // object's thread, unless `receiver` (an object of that thread) is gone by then.
    template <class R>
    void run(std::function<R(Store&)> job, QObject* receiver, std::function<void(Outcome<R>)> done)
    {
        post([this, job = std::move(job), receiver = QPointer<QObject>(receiver), done = std::move(done)] {
            Outcome<R> o;
            try {
                o.value = job(session());
            } catch (const StoreError& e) {
                dropIfBroken(e);
                o.error = e;
            }
            deliver(receiver, [done, o] { done(o); });
        });
    }

    // Publishes a plan, or keeps it in the outbox when the server cannot be reached.
    void publish(const PublicationPlan& plan, const PublishOptions& options, QObject* receiver,
                 std::function<void(PublishOutcome)> done);
    // Sends what the outbox holds for this store now.
    void flushOutbox();
    // The outbox's set-aside entries: back among the pending ones, or discarded with a reason.
    void retry(qint64 id);
    void discard(qint64 id, const QString& reason, QObject* receiver, std::function<void(std::optional<StoreError>)> done);
    void setAside(QObject* receiver, std::function<void(std::vector<OutboxEntry>)> done);
    // What the outbox holds that was not sent: this store's pending entries, then every entry
    // set aside, each oldest first.
    void unsent(QObject* receiver, std::function<void(std::vector<OutboxEntry>)> done);

    const Setup& setup() const { return setup_; }

signals:
    // Lots pending for this store and set aside, after every change; emitted on the worker
    // thread (connect with a receiver of the thread that shows them).
    void outboxChanged(int pendingLots, int setAsideLots);

private:
    void post(std::function<void()> task);
    void deliver(const QPointer<QObject>& receiver, std::function<void()> call);
    Store& session();
    void dropIfBroken(const StoreError& e);
    Outbox* outbox();
    void flushNow();
    void tellOutbox();

    Setup setup_;
    QThread thread_;
    QObject* context_ = nullptr; // lives on the worker thread: the tasks run through it
    // Worker-thread state.
    std::unique_ptr<Store> store_;
    std::unique_ptr<Outbox> outbox_;
    std::optional<OutboxCounts> told_;
    QTimer* timer_ = nullptr;
};

} // namespace store
