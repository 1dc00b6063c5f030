#include "store/Outbox.h"

#include <QDateTime>

namespace store {

namespace {

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS outbox (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  target TEXT NOT NULL,
  queued_us INTEGER NOT NULL,
  plan TEXT NOT NULL,
  lots INTEGER NOT NULL,
  state INTEGER NOT NULL DEFAULT 0,
  problem TEXT NOT NULL DEFAULT '',
  done_us INTEGER
);
CREATE INDEX IF NOT EXISTS outbox_by_state ON outbox (state, target, id);
)sql";

QString now() { return QString::number(QDateTime::currentMSecsSinceEpoch() * 1000); }

} // namespace

Outbox::Outbox(const QString& path)
    : c_(std::make_unique<SqliteConnection>(path, SqliteConnection::Open::CreateIfMissing))
{
    c_->script(QString::fromUtf8(kSchema));
}

qint64 Outbox::add(const QString& targetKey, const PublicationPlan& plan)
{
    WriteTransaction t(*c_);
    const Rows r = c_->query(QStringLiteral("INSERT INTO outbox (target, queued_us, plan, lots) VALUES ($1, $2, $3, $4) RETURNING id"),
                             {targetKey, now(), QString::fromUtf8(plan.toJson()), QString::number(plan.lots.size())});
    t.commit();
    return r.integer(0, 0);
}

std::vector<OutboxEntry> Outbox::entries(const QString& condition, const Params& params)
{
    const Rows r = c_->query(QStringLiteral("SELECT id, target, queued_us, plan, state, problem FROM outbox WHERE %1 ORDER BY id").arg(condition),
                             params);
    std::vector<OutboxEntry> out;
    for (size_t i = 0; i < r.size(); ++i) {
        OutboxEntry e;
        e.id = r.integer(i, 0);
        e.targetKey = r.text(i, 1);
        e.queuedUs = r.integer(i, 2);
        const auto plan = PublicationPlan::fromJson(r.text(i, 3).toUtf8());
        e.state = OutboxState(r.integer(i, 4));
        e.problem = r.text(i, 5);
        if (plan) {
            e.plan = *plan;
        } else if (e.state == OutboxState::Pending) {
            // Unreadable (written by something else): never sent, shown to the operator instead.
            e.state = OutboxState::SetAside;
            e.problem = QStringLiteral("未送信データを読めません");
            setState(e.id, e.state, e.problem);
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<OutboxEntry> Outbox::pending(const QString& targetKey)
{
    std::vector<OutboxEntry> out = entries(QStringLiteral("state = 0 AND target = $1"), {targetKey});
    std::erase_if(out, [](const OutboxEntry& e) { return e.state != OutboxState::Pending; });
    return out;
}

std::vector<OutboxEntry> Outbox::setAside() { return entries(QStringLiteral("state = 1"), {}); }

OutboxCounts Outbox::counts(const QString& targetKey)
{
    const Rows r = c_->query(QStringLiteral("SELECT (SELECT coalesce(sum(lots), 0) FROM outbox WHERE state = 0 AND target = $1), "
                                            "(SELECT coalesce(sum(lots), 0) FROM outbox WHERE state = 1)"),
                             {targetKey});
    return {int(r.integer(0, 0)), int(r.integer(0, 1))};
}

void Outbox::setState(qint64 id, OutboxState state, const QString& problem)
{
    WriteTransaction t(*c_);
    c_->query(QStringLiteral("UPDATE outbox SET state = $2, problem = $3, done_us = $4 WHERE id = $1"),
              {QString::number(id), QString::number(int(state)), problem, now()});
    t.commit();
}

void Outbox::markSent(qint64 id) { setState(id, OutboxState::Sent, {}); }

void Outbox::markSetAside(qint64 id, const QString& problem) { setState(id, OutboxState::SetAside, problem); }

void Outbox::retry(qint64 id) { setState(id, OutboxState::Pending, {}); }

void Outbox::discard(qint64 id, const QString& reason)
{
    if (reason.trimmed().isEmpty()) throw StoreError(Fault::Invalid, QStringLiteral("破棄する理由を入力してください"));
    setState(id, OutboxState::Discarded, reason);
}

FlushResult flushOutbox(Outbox& outbox, Store& store, const QString& targetKey)
{
    FlushResult result;
    for (const OutboxEntry& e : outbox.pending(targetKey)) {
        try {
            // The operator confirmed the names when the sheet was kept; a change's reason, if
            // one was asked for, travels in the plan.
            PublishOptions options;
            options.allowDefaultNames = true;
            options.requireReason = false;
            store.publish(e.plan, options);
        } catch (const StoreError& error) {
            if (isTransient(error.fault())) {
                result.stoppedBy = error;
                return result;
            }
            outbox.markSetAside(e.id, error.message());
            result.setAsideLots += int(e.plan.lots.size());
            continue;
        }
        // Sent but not yet marked when the program stops here: the next flush sends it again,
        // and the store finds its publication ids.
        outbox.markSent(e.id);
        result.sentLots += int(e.plan.lots.size());
    }
    return result;
}

} // namespace store
