// Real publisher processes at once against either engine: every lot stored exactly once, in
// its sheet's order, and a publisher killed inside its transaction leaves nothing behind.
#include "CliTestSupport.h"
#include "StoreTestSupport.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

using namespace store;
using namespace store_test;

namespace {

class ConcurrencyTest : public EngineTest {};

const Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};

} // namespace

TEST_P(ConcurrencyTest, EightPublishersStoreEveryLotOnceInSheetOrder)
{
    constexpr int kPublishers = 8;
    constexpr int kLots = 250; // three sheets of one characteristic: 100, 100 and 50 lots
    QTemporaryDir folder;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int p = 0; p < kPublishers; ++p) {
        const QStringList all = lots(QStringLiteral("P%1").arg(p), kLots, 5, p);
        const QString file = folder.filePath(QStringLiteral("p%1.xlsx").arg(p));
        cli_test::writeWorkbook(file, {sheet(kShaft.item, all.mid(0, 100), 5), sheet(kShaft.item, all.mid(100, 100), 5),
                                       sheet(kShaft.item, all.mid(200), 5)});
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(QUORVANE_CLI), {QStringLiteral("store"), QStringLiteral("publish"), file, QStringLiteral("--db"), fresh.db(),
                                                      QStringLiteral("--station"), QStringLiteral("S%1").arg(p)});
        running.push_back(std::move(process));
    }
    for (auto& p : running) {
        ASSERT_TRUE(p->waitForFinished(240000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        EXPECT_EQ(p->readAllStandardOutput().count("新規 "), 3);
    }

    const auto db = fresh.open();
    Connection& c = db->connection();
    EXPECT_EQ(c.query(QStringLiteral("SELECT count(*), count(DISTINCT lot), count(DISTINCT publication_id) FROM lot_revisions")).rows,
              (std::vector<std::vector<Value>>{{QStringLiteral("2000"), QStringLiteral("2000"), QStringLiteral("2000")}}));
    EXPECT_EQ(db->characteristics().at(0).lots, kPublishers * kLots);
    // Each publisher's lots keep their order among themselves.
    for (int p = 0; p < kPublishers; ++p) {
        const Rows r = c.query(QStringLiteral("SELECT lot FROM lot_revisions WHERE station = $1 ORDER BY sequence"), {QStringLiteral("S%1").arg(p)});
        ASSERT_EQ(r.size(), size_t(kLots));
        for (size_t i = 0; i < r.size(); ++i) ASSERT_EQ(r.text(i, 0), QStringLiteral("P%1-%2").arg(p).arg(i + 1, 4, 10, QChar(u'0')));
    }
}

TEST_P(ConcurrencyTest, APublisherKilledInsideItsTransactionLeavesNothing)
{
    QProcess child;
    child.start(QStringLiteral(STORE_PUBLISH_CHILD), {fresh.db(), kShaft.item, QStringLiteral("60")});
    ASSERT_TRUE(child.waitForReadyRead(60000)) << child.readAllStandardError().toStdString();
    ASSERT_EQ(child.readAllStandardOutput().trimmed(), QByteArrayLiteral("inside"));
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(30000);

    const auto db = fresh.open();
    for (const char* table : {"characteristics", "publications", "lot_revisions"})
        EXPECT_EQ(db->connection().query(QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromLatin1(table))).integer(0, 0), 0) << table;
    // Nothing holds the store: the next publisher of the same characteristic goes through.
    model::SheetRecord s = sheet(kShaft.item, lots(QStringLiteral("K"), 3));
    s.product = QStringLiteral("P");
    s.process = QStringLiteral("Q");
    s.device = QStringLiteral("R");
    EXPECT_EQ(publish(*db, s).added, 3);
}

QUORVANE_BOTH_ENGINES(ConcurrencyTest);
