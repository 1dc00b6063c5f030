#include "store/StoreWorker.h"

#include "store/Messages.h"

#include <QTimer>

#include <iterator>

namespace store {

namespace {

bool refusesForGood(Fault f)
{
    return f == Fault::Permission || f == Fault::NoSchema || f == Fault::SchemaTooNew || f == Fault::SchemaTooOld
           || f == Fault::Encoding;
}

} // namespace

QString PublishOutcome::message() const
{
    switch (kind) {
    case Kind::Stored: {
        QStringList lines{publishedMessage(counts)};
        lines << skippedLines(counts.skipped);
        return lines.join(u'\n');
    }
    case Kind::Kept: return keptMessage(keptLots);
    case Kind::Failed: break;
    }
    return error ? error->message() : QString();
}

StoreWorker::StoreWorker(Setup setup, QObject* parent) : QObject(parent), setup_(std::move(setup))
{
    context_ = new QObject;
    context_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("store"));
    thread_.start();
    if (!setup_.outboxPath.isEmpty() && setup_.target.engine == Engine::Server) {
        post([this] {
            timer_ = new QTimer;
            connect(timer_, &QTimer::timeout, context_, [this] { flushNow(); });
            timer_->start(setup_.flushIntervalMs);
            tellOutbox();
        });
    }
}

StoreWorker::~StoreWorker()
{
    // The worker's objects end on the worker thread, after the tasks queued before.
    QMetaObject::invokeMethod(
        context_,
        [this] {
            delete timer_;
            store_.reset();
            outbox_.reset();
            context_->deleteLater(); // deleted as the thread finishes
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_.wait();
}

void StoreWorker::post(std::function<void()> task) { QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection); }

void StoreWorker::deliver(const QPointer<QObject>& receiver, std::function<void()> call)
{
    // Through this object: it outlives the worker thread, and the receiver is checked on its own thread.
    QMetaObject::invokeMethod(
        this,
        [receiver, call = std::move(call)] {
            if (receiver) call();
        },
        Qt::QueuedConnection);
}

Store& StoreWorker::session()
{
    if (!store_) store_ = Store::open(setup_.target, setup_.credentials, Store::Open::CreateEmbedded);
    return *store_;
}

void StoreWorker::dropIfBroken(const StoreError& e)
{
    if (isTransient(e.fault()) || e.fault() == Fault::SchemaTooNew || e.fault() == Fault::SchemaTooOld || e.fault() == Fault::NoSchema)
        store_.reset();
}

Outbox* StoreWorker::outbox()
{
    if (setup_.outboxPath.isEmpty() || setup_.target.engine != Engine::Server) return nullptr;
    if (!outbox_) outbox_ = std::make_unique<Outbox>(setup_.outboxPath);
    return outbox_.get();
}

void StoreWorker::tellOutbox()
{
    try {
        Outbox* o = outbox();
        if (!o) return;
        const OutboxCounts now = o->counts(setup_.target.key());
        if (told_ == now) return;
        told_ = now;
        emit outboxChanged(now.pendingLots, now.setAsideLots);
    } catch (const StoreError&) {
        // The outbox file cannot be read now; the next change tries again.
    }
}

void StoreWorker::flushNow()
{
    try {
        Outbox* o = outbox();
        if (!o || o->counts(setup_.target.key()).pendingLots == 0) return;
        try {
            const FlushResult r = store::flushOutbox(*o, session(), setup_.target.key());
            if (r.stoppedBy) dropIfBroken(*r.stoppedBy);
        } catch (const StoreError& e) {
            dropIfBroken(e);
            // A store this program cannot use refuses every entry for good: they wait in the
            // list for the operator instead of being tried again and again.
            if (refusesForGood(e.fault()))
                for (const OutboxEntry& entry : o->pending(setup_.target.key())) o->markSetAside(entry.id, e.message());
        }
    } catch (const StoreError&) {
        // The outbox file itself cannot be used now; the next round tries again.
    }
    tellOutbox();
}

void StoreWorker::flushOutbox()
{
    post([this] { flushNow(); });
}

void StoreWorker::publish(const PublicationPlan& plan, const PublishOptions& options, QObject* receiver,
                          std::function<void(PublishOutcome)> done)
{
    post([this, plan, options, receiver = QPointer<QObject>(receiver), done = std::move(done)] {
        PublishOutcome out;
        const QString key = setup_.target.key();
        try {
            if (plan.defaultNames && !options.allowDefaultNames)
                throw StoreError(Fault::Invalid, *plan.defaultNames + QStringLiteral("。このまま登録するには確認が必要です"));
            Outbox* o = options.dryRun ? nullptr : outbox();
            try {
                // Kept publications go first: the store receives them in the order they were made.
                if (o && o->counts(key).pendingLots > 0) {
                    const FlushResult r = store::flushOutbox(*o, session(), key);
                    if (r.stoppedBy) throw *r.stoppedBy;
                }
                out.counts = session().publish(plan, options);
                out.kind = PublishOutcome::Kind::Stored;
            } catch (const StoreError& e) {
                dropIfBroken(e);
                if (!o || !isTransient(e.fault())) throw;
                o->add(key, plan);
                out.kind = PublishOutcome::Kind::Kept;
                out.keptLots = int(plan.lots.size());
                out.counts.skipped = plan.skipped;
                out.error = e;
            }
        } catch (const StoreError& e) {
            out.kind = PublishOutcome::Kind::Failed;
            out.error = e;
        }
        tellOutbox();
        deliver(receiver, [done, out] { done(out); });
    });
}

void StoreWorker::retry(qint64 id)
{
    post([this, id] {
        try {
            if (Outbox* o = outbox()) o->retry(id);
        } catch (const StoreError&) {
        }
        flushNow();
    });
}

void StoreWorker::discard(qint64 id, const QString& reason, QObject* receiver, std::function<void(std::optional<StoreError>)> done)
{
    post([this, id, reason, receiver = QPointer<QObject>(receiver), done = std::move(done)] {
        std::optional<StoreError> error;
        try {
            if (Outbox* o = outbox()) o->discard(id, reason);
        } catch (const StoreError& e) {
            error = e;
        }
        tellOutbox();
        deliver(receiver, [done, error] { done(error); });
    });
}

void StoreWorker::setAside(QObject* receiver, std::function<void(std::vector<OutboxEntry>)> done)
{
    post([this, receiver = QPointer<QObject>(receiver), done = std::move(done)] {
        std::vector<OutboxEntry> entries;
        try {
            if (Outbox* o = outbox()) entries = o->setAside();
        } catch (const StoreError&) {
        }
        deliver(receiver, [done, entries] { done(entries); });
    });
}

void StoreWorker::unsent(QObject* receiver, std::function<void(std::vector<OutboxEntry>)> done)
{
    post([this, receiver = QPointer<QObject>(receiver), done = std::move(done)] {
        std::vector<OutboxEntry> entries;
        try {
            if (Outbox* o = outbox()) {
                entries = o->pending(setup_.target.key());
                std::vector<OutboxEntry> aside = o->setAside();
                entries.insert(entries.end(), std::make_move_iterator(aside.begin()), std::make_move_iterator(aside.end()));
            }
        } catch (const StoreError&) {
        }
        deliver(receiver, [done, entries] { done(entries); });
    });
}

} // namespace store
