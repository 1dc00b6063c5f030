// Publications that could not reach the server, kept in a local embedded file until they can:
// each is on the disk before the operator is told it is kept, is sent in the order it was kept
// and only to the store it was meant for, and is stored there exactly once (its lots carry
// their publication ids). One the server refuses for good (a permission, the schema) is set
// aside instead of being tried for ever, never holding up the rest; the operator retries it or
// discards it with a reason (kept as a record).
#pragma once
#include "store/Publication.h"
#include "store/SqliteConnection.h"
#include "store/Store.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace store {

enum class OutboxState { Pending = 0, SetAside = 1, Sent = 2, Discarded = 3 };

struct OutboxEntry {
    qint64 id = 0;
    QString targetKey;
    qint64 queuedUs = 0; // this computer's clock
    PublicationPlan plan;
    OutboxState state = OutboxState::Pending;
    QString problem; // why it was set aside, or the reason it was discarded
};

struct OutboxCounts {
    int pendingLots = 0;
    int setAsideLots = 0;
    friend bool operator==(const OutboxCounts&, const OutboxCounts&) = default;
};

class Outbox {
public:
    // Opens the outbox file, made for its owner alone when missing. Throws StoreError.
    explicit Outbox(const QString& path);

    // Keeps a publication for the store `targetKey` names; durable when it returns.
    qint64 add(const QString& targetKey, const PublicationPlan& plan);
    // Pending entries for one store, oldest first.
    std::vector<OutboxEntry> pending(const QString& targetKey);
    // Entries set aside, every store's, oldest first.
    std::vector<OutboxEntry> setAside();
    OutboxCounts counts(const QString& targetKey);

    void markSent(qint64 id);
    void markSetAside(qint64 id, const QString& problem);
    // A set-aside entry goes back to its place among the pending ones.
    void retry(qint64 id);
    // Throws StoreError (Invalid) without a reason.
    void discard(qint64 id, const QString& reason);

private:
    std::vector<OutboxEntry> entries(const QString& condition, const Params& params);
    void setState(qint64 id, OutboxState state, const QString& problem);

    std::unique_ptr<SqliteConnection> c_;
};

struct FlushResult {
    int sentLots = 0;
    int setAsideLots = 0;
    std::optional<StoreError> stoppedBy; // a failure on the way: the rest stays pending
};

// Sends the store's pending entries in order until one fails on the way (it and the rest stay
// pending); one the store refuses is set aside and the next is sent.
FlushResult flushOutbox(Outbox& outbox, Store& store, const QString& targetKey);

} // namespace store
