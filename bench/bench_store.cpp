// The history store on both engines (the embedded file, and PostgreSQL in a private cluster on
// a Unix socket): publishing a 100 × 100 sheet; loading the last 100 lots of one characteristic
// from a store of 1,000,000 lots (1,000 characteristics of 1,000 lots of 5 values); the night
// batch (report --all --since 24h) over 100 characteristics with new lots, whole process; and the
// delay of the live note from the commit of another station's lot to the signal.
#include "CoreBench.h"
#include "ImportedSheet.h"
#include "PgCluster.h"

#include "store/NewLotWatcher.h"
#include "store/Store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <memory>

namespace {

using store::Engine;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

store_test::Cluster& cluster() { return store_test::Cluster::shared(); }

// A new empty store with the schema (a benchmark's function runs more than once).
QString newStore(Engine engine, const QString& name)
{
    static int made = 0;
    QString db;
    if (engine == Engine::Server) {
        static std::vector<std::unique_ptr<store_test::ServerDatabase>> databases;
        databases.push_back(std::make_unique<store_test::ServerDatabase>(cluster()));
        db = databases.back()->uri();
    } else {
        db = folder().filePath(QStringLiteral("%1-%2.sqlite").arg(name).arg(++made));
    }
    store::Store::init(store::parseTarget(db));
    return db;
}

model::SheetRecord sheet(const QString& item, const QString& prefix, int lots, int measurements)
{
    model::SheetRecord r = test_support::importedSheet(item, {}, std::max(lots, 10), measurements);
    r.product = QStringLiteral("ギアシャフト");
    r.process = QStringLiteral("外径研削");
    r.device = QStringLiteral("G-03");
    for (int l = 1; l <= lots; ++l) {
        QString line = QStringLiteral("%1-%2").arg(prefix).arg(l, 3, 10, QChar(u'0'));
        for (int m = 0; m < measurements; ++m) line += QStringLiteral(",%1").arg(10.0 + ((l * 7 + m * 13) % 41 - 20) / 1000.0, 0, 'f', 3);
        r.dataLines << line;
        r.enableFlags << QStringLiteral("1");
    }
    return r;
}

void BM_Publish100x100(benchmark::State& state)
{
    const Engine engine = Engine(state.range(0));
    const auto db = store::Store::open(store::parseTarget(newStore(engine, QStringLiteral("publish"))));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const store::PublicationPlan plan = store::planPublication(sheet(QStringLiteral("軸外径"), QStringLiteral("R%1").arg(++round), 100, 100),
                                                                   {QStringLiteral("A"), QStringLiteral("op"), {}});
        state.ResumeTiming();
        const store::PublishCounts c = db->publish(plan);
        if (c.added != 100) {
            state.SkipWithError(QStringLiteral("%1 lots of 100 stored, %2 skipped").arg(c.added).arg(c.skipped.size()).toUtf8().constData());
            break;
        }
    }
}
// The reference: the smallest durable write transaction of the same store (one row, committed).
void BM_EmptyCommit(benchmark::State& state)
{
    const Engine engine = Engine(state.range(0));
    const auto db = store::Store::open(store::parseTarget(newStore(engine, QStringLiteral("commit"))));
    db->connection().script(QStringLiteral("CREATE TABLE bench_reference (x INTEGER)"));
    for (auto _ : state) {
        store::WriteTransaction t(db->connection());
        db->connection().query(QStringLiteral("INSERT INTO bench_reference (x) VALUES ($1)"), {QStringLiteral("1")});
        t.commit();
    }
}
BENCHMARK(BM_EmptyCommit)->ArgName("server")->Arg(int(Engine::Embedded))->Arg(int(Engine::Server))->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_Publish100x100)->ArgName("server")->Arg(int(Engine::Embedded))->Arg(int(Engine::Server))->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,000 characteristics × 1,000 lots, their sequences interleaved as stations publish them, in one
// transaction of set-based inserts.
const char* const kFillServer = R"sql(
INSERT INTO characteristics (product, process, device, item) SELECT 'P', 'Q', 'R', 'item' || g FROM generate_series(1, 1000) g;
CREATE TEMP TABLE fill AS SELECT c.id AS cid, l, gen_random_uuid() AS pid FROM characteristics c, generate_series(1, 1000) l;
INSERT INTO publications (publication_id, characteristic_id, lot) SELECT pid, cid, 'L' || lpad(l::text, 4, '0') FROM fill;
INSERT INTO lot_revisions (characteristic_id, lot, first_revision, enabled, measurement_count, measurements, unit, spec_kind,
  digits, spec_upper, spec_lower, station, operator, publication_id)
  SELECT cid, 'L' || lpad(l::text, 4, '0'), 1, 1, 5, '10.001,10.002,9.998,10.000,10.003', 'mm', '公差規格', '3', '10.500', '9.500', 'S', 'op', pid
  FROM fill ORDER BY l, cid;
DROP TABLE fill;
ANALYZE;
)sql";
const char* const kFillEmbedded = R"sql(
INSERT INTO characteristics (product, process, device, item)
  WITH RECURSIVE g(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM g WHERE n < 1000) SELECT 'P', 'Q', 'R', 'item' || n FROM g;
CREATE TEMP TABLE fill AS
  WITH RECURSIVE g(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM g WHERE n < 1000)
  SELECT c.id AS cid, g.n AS l, lower(hex(randomblob(16))) AS pid FROM characteristics c, g;
INSERT INTO publications (publication_id, characteristic_id, lot) SELECT pid, cid, 'L' || substr('000' || l, -4) FROM fill;
INSERT INTO lot_revisions (characteristic_id, lot, first_revision, enabled, measurement_count, measurements, unit, spec_kind,
  digits, spec_upper, spec_lower, station, operator, publication_id)
  SELECT cid, 'L' || substr('000' || l, -4), 1, 1, 5, '10.001,10.002,9.998,10.000,10.003', 'mm', '公差規格', '3', '10.500', '9.500', 'S', 'op', pid
  FROM fill ORDER BY l, cid;
DROP TABLE fill;
ANALYZE;
)sql";

void BM_LoadLast100Of1M(benchmark::State& state)
{
    const Engine engine = Engine(state.range(0));
    static std::map<Engine, QString> filled;
    if (!filled.count(engine)) {
        const QString db = newStore(engine, QStringLiteral("million"));
        store::Target filling = store::parseTarget(db);
        filling.timeouts.statementSeconds = 3600; // one long transaction
        const auto s = store::Store::open(filling);
        QElapsedTimer t;
        t.start();
        store::WriteTransaction transaction(s->connection());
        s->connection().script(QString::fromUtf8(engine == Engine::Server ? kFillServer : kFillEmbedded));
        transaction.commit();
        std::fprintf(stderr, "filled 1,000,000 lots (%s) in %.1f s\n", engine == Engine::Server ? "PostgreSQL" : "embedded", t.elapsed() / 1000.0);
        filled[engine] = db;
    }
    const auto db = store::Store::open(store::parseTarget(filled[engine]));
    const store::Characteristic k{QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("R"), QStringLiteral("item500")};
    store::LoadRange last;
    last.last = 100;
    for (auto _ : state) {
        const store::LoadedSheet loaded = db->load(k, last);
        if (loaded.lots.size() != 100) {
            state.SkipWithError("not 100 lots");
            break;
        }
        benchmark::DoNotOptimize(loaded.record.dataLines.size());
    }
}
BENCHMARK(BM_LoadLast100Of1M)->ArgName("server")->Arg(int(Engine::Embedded))->Arg(int(Engine::Server))->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NightBatch100Characteristics(benchmark::State& state)
{
    const Engine engine = Engine(state.range(0));
    const QString db = newStore(engine, QStringLiteral("night"));
    {
        const auto s = store::Store::open(store::parseTarget(db));
        for (int c = 1; c <= 100; ++c)
            s->publish(store::planPublication(sheet(QStringLiteral("項目%1").arg(c), QStringLiteral("N"), 30, 5), {QStringLiteral("A"), {}, {}}));
    }
    int round = 0;
    for (auto _ : state) {
        const QString out = folder().filePath(QStringLiteral("night%1-%2").arg(int(engine)).arg(++round));
        QDir().mkpath(out);
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral(QUORVANE_CLI), {QStringLiteral("report"), QStringLiteral("--db"), db, QStringLiteral("--all"), QStringLiteral("--since"),
                                               QStringLiteral("24h"), QStringLiteral("--kind"), QStringLiteral("control"), QStringLiteral("--out"), out});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError(p.readAllStandardError().constData());
            break;
        }
        state.PauseTiming();
        if (QDir(out).entryList(QDir::Files).size() != 100) state.SkipWithError("not 100 reports");
        QDir(out).removeRecursively();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NightBatch100Characteristics)->ArgName("server")->Arg(int(Engine::Embedded))->Arg(int(Engine::Server))->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// From another station's commit to the watcher's signal on this thread.
void BM_LiveNoteDelay(benchmark::State& state)
{
    const Engine engine = Engine(state.range(0));
    const QString db = newStore(engine, QStringLiteral("live"));
    const auto s = store::Store::open(store::parseTarget(db));
    s->publish(store::planPublication(sheet(QStringLiteral("軸外径"), QStringLiteral("A"), 3, 5), {QStringLiteral("A"), {}, {}}));
    const store::Characteristic k{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};
    store::NewLotWatcher watcher({store::parseTarget(db), {}, k, s->load(k, {}).origin.newestSequence, QStringLiteral("A")});
    int noted = -1;
    QObject::connect(&watcher, &store::NewLotWatcher::newLots, &watcher, [&](int n) { noted = n; });
    QElapsedTimer wait;
    wait.start();
    while (noted != 0 && wait.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    int round = 0;
    for (auto _ : state) {
        s->publish(store::planPublication(sheet(QStringLiteral("軸外径"), QStringLiteral("B%1").arg(++round), 1, 5), {QStringLiteral("B"), {}, {}}));
        QElapsedTimer t; // from the commit
        t.start();
        while (noted != round && t.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
        if (noted != round) {
            state.SkipWithError("no note within 10 s");
            break;
        }
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_LiveNoteDelay)->ArgName("server")->Arg(int(Engine::Embedded))->Arg(int(Engine::Server))->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char** argv) { return runCoreBenchmarks(argc, argv); }
