// A server that goes away, hangs or never answers: publications wait in the outbox and arrive
// once, loads fail within their time limit, a refused publication is set aside.
#include "CliTestSupport.h"
#include "StoreTestSupport.h"

#include "store/Messages.h"
#include "store/StoreWorker.h"

#include <QElapsedTimer>

#include <csignal>

using namespace store;
using namespace store_test;

namespace {

const Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};

// A worker's publication, waited for.
PublishOutcome publishThrough(StoreWorker& worker, const PublicationPlan& plan)
{
    QObject receiver;
    std::optional<PublishOutcome> outcome;
    worker.publish(plan, {}, &receiver, [&](PublishOutcome o) { outcome = std::move(o); });
    EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }, 90000));
    return outcome.value_or(PublishOutcome{});
}

int revisions(Store& db) { return int(db.connection().query(QStringLiteral("SELECT count(*) FROM lot_revisions")).integer(0, 0)); }

} // namespace

TEST(ServerFaultTest, APublicationKeptWhileTheServerIsDownArrivesOnceWhenItIsBack)
{
    const auto cluster = Cluster::startPrivate();
    ServerDatabase database(*cluster);
    const Target target = parseTarget(database.uri());
    Store::init(target);
    QTemporaryDir folder;
    const QString outboxPath = folder.filePath(QStringLiteral("outbox.sqlite"));

    StoreWorker worker({target, {}, outboxPath, QStringLiteral("A"), 200});
    OutboxCounts told;
    QObject::connect(&worker, &StoreWorker::outboxChanged, &worker, [&](int pending, int aside) { told = {pending, aside}; });

    const PublicationPlan first = planPublication(sheet(kShaft.item, lots(QStringLiteral("A"), 4)), {QStringLiteral("A"), {}, {}});
    EXPECT_EQ(publishThrough(worker, first).kind, PublishOutcome::Kind::Stored);

    cluster->halt();
    const PublicationPlan second = planPublication(sheet(kShaft.item, lots(QStringLiteral("B"), 6)), {QStringLiteral("A"), {}, {}});
    const PublishOutcome kept = publishThrough(worker, second);
    ASSERT_EQ(kept.kind, PublishOutcome::Kind::Kept) << kept.message().toStdString();
    EXPECT_EQ(kept.message(), keptMessage(6));
    // On the disk before the answer came: another program sees it.
    EXPECT_EQ(Outbox(outboxPath).counts(target.key()), (OutboxCounts{6, 0}));
    EXPECT_TRUE(waitUntil([&] { return told == OutboxCounts{6, 0}; }, 10000));
    EXPECT_EQ(outboxNote(told.pendingLots), QStringLiteral("未送信 6 ロット"));

    cluster->resume();
    ASSERT_TRUE(waitUntil([&] { return told == OutboxCounts{0, 0}; }, 60000));
    const auto db = Store::open(target);
    EXPECT_EQ(revisions(*db), 10);
    EXPECT_EQ(db->history(kShaft, QStringLiteral("B-0006")).size(), 1u);

    // Sent again as if its answer had been lost: still stored once.
    Outbox outbox(outboxPath);
    outbox.add(target.key(), second);
    const FlushResult again = flushOutbox(outbox, *db, target.key());
    EXPECT_EQ(again.sentLots, 6);
    EXPECT_EQ(revisions(*db), 10);
    EXPECT_EQ(outbox.counts(target.key()), (OutboxCounts{0, 0}));
}

TEST(ServerFaultTest, ARefusedPublicationIsSetAsideAndTheRestGoes)
{
    FreshStore fresh(Engine::Server);
    QTemporaryDir folder;
    Outbox outbox(folder.filePath(QStringLiteral("outbox.sqlite")));
    const Target target = fresh.target();
    PublicationPlan refused = planPublication(sheet(kShaft.item, lots(QStringLiteral("A"), 2)), {});
    refused.lots[1].publicationId = QStringLiteral("not-a-uuid"); // the server refuses it for good
    outbox.add(target.key(), refused);
    outbox.add(target.key(), planPublication(sheet(kShaft.item, lots(QStringLiteral("B"), 3)), {}));
    outbox.add(QStringLiteral("postgresql:elsewhere"), planPublication(sheet(kShaft.item, lots(QStringLiteral("C"), 3)), {}));

    const auto db = fresh.open();
    const FlushResult r = flushOutbox(outbox, *db, target.key());
    EXPECT_FALSE(r.stoppedBy);
    EXPECT_EQ(r.sentLots, 3);
    EXPECT_EQ(r.setAsideLots, 2);
    EXPECT_EQ(revisions(*db), 3); // nothing of the refused one, nothing meant for another store
    std::vector<OutboxEntry> aside = outbox.setAside();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_FALSE(aside[0].problem.isEmpty());

    // Tried again it is refused again; discarded, it needs a reason and is kept as a record.
    outbox.retry(aside[0].id);
    EXPECT_EQ(flushOutbox(outbox, *db, target.key()).setAsideLots, 2);
    EXPECT_THROW(outbox.discard(aside[0].id, QStringLiteral("  ")), StoreError);
    outbox.discard(aside[0].id, QStringLiteral("入力ミスのため"));
    EXPECT_TRUE(outbox.setAside().empty());
    EXPECT_EQ(outbox.counts(target.key()), (OutboxCounts{0, 0}));
    EXPECT_EQ(outbox.counts(QStringLiteral("postgresql:elsewhere")).pendingLots, 3);

    // A store this program cannot use refuses all that is kept for it: set aside, not tried for ever.
    db->connection().query(QStringLiteral("INSERT INTO schema_version (version, compatible) VALUES (2, 2)"));
    outbox.add(target.key(), planPublication(sheet(kShaft.item, lots(QStringLiteral("D"), 4)), {}));
    StoreWorker worker({target, {}, folder.filePath(QStringLiteral("outbox.sqlite")), QStringLiteral("A"), 100});
    OutboxCounts told;
    QObject::connect(&worker, &StoreWorker::outboxChanged, &worker, [&](int pending, int aside) { told = {pending, aside}; });
    worker.flushOutbox();
    EXPECT_TRUE(waitUntil([&] { return told == OutboxCounts{0, 4}; }, 10000)) << told.pendingLots << " " << told.setAsideLots;
    EXPECT_TRUE(outbox.setAside().at(0).problem.contains(QStringLiteral("版 2")));
}

TEST(ServerFaultTest, AServerThatStopsHangsOrNeverAnswersFailsWithinItsLimit)
{
    const auto cluster = Cluster::startPrivate();
    ServerDatabase database(*cluster);
    Target target = parseTarget(database.uri());
    target.timeouts.statementSeconds = 1;
    Store::init(target);
    Store::open(target)->publish(planPublication(sheet(kShaft.item, lots(QStringLiteral("A"), 30)), {}));

    // The server process serving the load stops answering (without closing the connection).
    {
        const auto db = Store::open(target);
        const pid_t backend = pid_t(db->connection().query(QStringLiteral("SELECT pg_backend_pid()")).integer(0, 0));
        ASSERT_EQ(::kill(backend, SIGSTOP), 0);
        QElapsedTimer t;
        t.start();
        Fault fault = Fault::Other;
        try {
            db->load(kShaft, {});
        } catch (const StoreError& e) {
            fault = e.fault();
        }
        ::kill(backend, SIGCONT);
        EXPECT_EQ(fault, Fault::Timeout);
        EXPECT_LT(t.elapsed(), 30000);
    }

    // The server stops between two loads: the next one fails at once, and so does connecting.
    {
        const auto db = Store::open(target);
        EXPECT_EQ(db->load(kShaft, {}).lots.size(), 30u);
        cluster->halt();
        EXPECT_THROW(db->load(kShaft, {}), StoreError);
        try {
            Store::open(target);
            ADD_FAILURE() << "connected to a stopped server";
        } catch (const StoreError& e) {
            EXPECT_TRUE(isTransient(e.fault())) << e.what();
        }
    }

    // A socket that takes the connection and never answers.
    QTemporaryDir folder;
    const SilentSocket silent(folder.filePath(QStringLiteral(".s.PGSQL.7777")));
    ASSERT_TRUE(silent.ok());
    QElapsedTimer t;
    t.start();
    const cli_test::CliResult r = cli_test::runCli({QStringLiteral("store"), QStringLiteral("list"), QStringLiteral("--db"),
                                                    QStringLiteral("postgresql:///db?host=%1&port=7777&connect_timeout=2").arg(folder.path())});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("2 秒以内に応答しませんでした"))) << r.err.toStdString();
    EXPECT_LT(t.elapsed(), 20000);
}
