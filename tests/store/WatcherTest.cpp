// The live note: lots another station publishes while a loaded sheet is shown are counted, by
// notification on PostgreSQL (again after the server was away) and by polling the embedded store.
#include "CliTestSupport.h"
#include "StoreTestSupport.h"

#include "store/NewLotWatcher.h"

#include <QCoreApplication>
#include <QThread>

using namespace store;
using namespace store_test;

namespace {

class WatcherTest : public EngineTest {};

const Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};

// Another station's publication, by another process.
void publishElsewhere(const QString& db, const QString& prefix, int count, QTemporaryDir& folder)
{
    const QString file = folder.filePath(prefix + QStringLiteral(".xlsx"));
    cli_test::writeWorkbook(file, {sheet(kShaft.item, lots(prefix, count))});
    const cli_test::CliResult r = cli_test::runCli({QStringLiteral("store"), QStringLiteral("publish"), file, QStringLiteral("--db"), db,
                                                    QStringLiteral("--station"), QStringLiteral("B")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
}

struct Note {
    int lots = -1;
    int reconnections = 0;
    bool connected = false;
    void follow(NewLotWatcher& w)
    {
        // Through the watcher object: queued to this thread, as the window receives them.
        QObject::connect(&w, &NewLotWatcher::newLots, &w, [this](int n) { lots = n; });
        QObject::connect(&w, &NewLotWatcher::connectionChanged, &w, [this](bool up) {
            if (up && !connected) ++reconnections;
            connected = up;
        });
    }
};

} // namespace

TEST_P(WatcherTest, CountsTheLotsOtherStationsPublish)
{
    const auto db = fresh.open();
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 3)));
    const LoadedSheet loaded = db->load(kShaft, {});
    NewLotWatcher watcher({fresh.target(), {}, kShaft, loaded.origin.newestSequence, QStringLiteral("A"), 200});
    Note note;
    note.follow(watcher);
    ASSERT_TRUE(waitUntil([&] { return note.lots == 0; }, 10000));

    // This station's own lots are no news.
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A2"), 2)));
    QThread::msleep(600);
    QCoreApplication::processEvents();
    EXPECT_EQ(note.lots, 0);

    QTemporaryDir folder;
    publishElsewhere(fresh.db(), QStringLiteral("B"), 2, folder);
    EXPECT_TRUE(waitUntil([&] { return note.lots == 2; }, 10000)) << note.lots;
}

QUORVANE_BOTH_ENGINES(WatcherTest);

TEST(ServerWatcherTest, ListensAgainOnceTheServerIsBack)
{
    const auto cluster = Cluster::startPrivate();
    ServerDatabase database(*cluster);
    const Target target = parseTarget(database.uri());
    Store::init(target);
    NewLotWatcher watcher({target, {}, kShaft, 0, QStringLiteral("A"), 200});
    Note note;
    note.follow(watcher);
    ASSERT_TRUE(waitUntil([&] { return note.connected; }, 10000));

    cluster->halt();
    ASSERT_TRUE(waitUntil([&] { return !note.connected; }, 10000));
    cluster->resume();
    ASSERT_TRUE(waitUntil([&] { return note.connected; }, 20000));
    EXPECT_EQ(note.reconnections, 2);

    QTemporaryDir folder;
    publishElsewhere(database.uri(), QStringLiteral("B"), 3, folder);
    EXPECT_TRUE(waitUntil([&] { return note.lots == 3; }, 10000)) << note.lots;
}
