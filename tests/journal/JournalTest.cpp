#include "CrashBurst.h"
#include "journal/Journal.h"
#include "journal/JournalWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <mutex>

using journal::Journal;
using journal::Workbook;

namespace {

Workbook sampleBook(unsigned seed = 1)
{
    Workbook book = crash_burst::Burst(seed).book(); // four sheets, cells from the seed
    book.shown = int(seed % 4);
    book.limitMethod = 1;
    book.ucl = QString::number(seed);
    return book;
}

// The indexes of the sheet rows the journal wrote, seen through a trigger of the test's own.
class WriteLog {
public:
    explicit WriteLog(const QString& path)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &db_);
        sqlite3_exec(db_,
                     "CREATE TABLE IF NOT EXISTS written(idx INTEGER);"
                     "CREATE TRIGGER IF NOT EXISTS log AFTER INSERT ON sheet BEGIN INSERT INTO written VALUES(NEW.idx); END;",
                     nullptr, nullptr, nullptr);
    }
    ~WriteLog() { sqlite3_close(db_); }
    // The rows written since the last call.
    std::vector<int> take()
    {
        std::vector<int> rows;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db_, "SELECT idx FROM written ORDER BY rowid", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) rows.push_back(sqlite3_column_int(s, 0));
        sqlite3_finalize(s);
        sqlite3_exec(db_, "DELETE FROM written", nullptr, nullptr, nullptr);
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
};

class JournalTest : public testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("journal.sqlite")); }
    QTemporaryDir dir;
};

TEST_F(JournalTest, WritesOnlyTheSheetsThatChangedAndReadsTheWorkbookBackExactly)
{
    auto j = Journal::open(path(), QStringLiteral("quorvane"));
    WriteLog log(path());
    Workbook book = sampleBook();
    book.sheets[1].dataLines[0] = QStringLiteral("K,,\"\"\"x\"\"\",");
    book.sheets[1].product = QString(); // a null text reads back as the empty text it equals
    j->write(book);
    EXPECT_EQ(log.take().size(), size_t(book.count()));

    // One cell of one sheet: that sheet only, however many there are.
    Workbook next = book;
    next.sheets[2].dataLines[3] = QStringLiteral("K004,1.5");
    j->write(next);
    EXPECT_EQ(log.take(), std::vector<int>{2});
    // The header alone (shown sheet, chart settings) rewrites no sheet.
    next.shown = 0;
    next.chart = 2;
    next.rsUcl = QStringLiteral("0.125");
    j->write(next);
    EXPECT_TRUE(log.take().empty());
    // A caption follows its sheet.
    next.captions[0] = QStringLiteral("外径");
    j->write(next);
    EXPECT_EQ(log.take(), std::vector<int>{0});

    // Fewer sheets: the dropped ones are gone from the journal.
    next.sheets.resize(1);
    next.captions = next.captions.mid(0, 1);
    j->write(next);
    const auto read = j->readSession(j->session());
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, next);
    EXPECT_EQ(read->sheets[0].dataLines, next.sheets[0].dataLines);

    // A record cut short or with a byte too many is damaged, never read as some other record.
    const QByteArray bytes = journal::encodeRecord(book.sheets[1]);
    EXPECT_THROW(journal::decodeRecord(bytes.left(bytes.size() - 3)), journal::JournalError);
    EXPECT_THROW(journal::decodeRecord(bytes + 'x'), journal::JournalError);
}

TEST_F(JournalTest, OffersASessionThatEndedUncleanlyOnceAndNeverOneThatStillRuns)
{
    const Workbook book = sampleBook(7);
    {
        auto crashed = Journal::open(path(), QStringLiteral("quorvane"));
        crashed->write(book);
    } // ends without closing its session, as a killed copy does
    auto running = Journal::open(path(), QStringLiteral("quorvane-copy"));
    running->write(sampleBook(8));

    auto next = Journal::open(path(), QStringLiteral("quorvane"));
    ASSERT_TRUE(next->uncleanSession());
    EXPECT_EQ(*next->readSession(*next->uncleanSession()), book);
    next->markOffered();
    EXPECT_FALSE(next->uncleanSession());
    next->closeSession();
    next.reset();

    auto again = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_FALSE(again->uncleanSession()) << "asked once only";
    // The previous session is the newest that no copy runs: not the running copy's.
    again->closeSession();
    again.reset();
    auto third = Journal::open(path(), QStringLiteral("quorvane"));
    ASSERT_TRUE(third->previousSession());
    EXPECT_EQ(*third->readSession(*third->previousSession()), book);

    // The running copy ends normally: its workbook is the previous one now, never unclean.
    running->closeSession();
    running.reset();
    third.reset();
    auto fourth = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_FALSE(fourth->uncleanSession());
    EXPECT_EQ(*fourth->readSession(*fourth->previousSession()), sampleBook(8));
}

TEST_F(JournalTest, KeepsTheLastThreeSessionsAndSnapshots)
{
    for (unsigned i = 1; i <= 6; ++i) {
        auto j = Journal::open(path(), QStringLiteral("quorvane"));
        j->write(sampleBook(i));
        for (unsigned s = 1; s <= 5; ++s) {
            journal::Snapshot snap;
            snap.whole = s % 2;
            snap.book = sampleBook(100 * i + s);
            if (!snap.whole) {
                snap.book.sheets.resize(1);
                snap.book.captions = snap.book.captions.mid(0, 1);
                snap.book.shown = 2;
            }
            j->addSnapshot(snap);
            EXPECT_EQ(*j->lastSnapshot(), snap);
        }
        j->closeSession();
    }
    auto j = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_FALSE(j->lastSnapshot()) << "a snapshot belongs to its session";
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path()).constData(), &db);
    auto count = [db](const char* sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        sqlite3_step(s);
        const int n = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        return n;
    };
    EXPECT_EQ(count("SELECT count(*) FROM session WHERE sheet_count > 0"), 3);
    EXPECT_EQ(count("SELECT count(DISTINCT session) FROM sheet"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM snapshot"), 3 * Journal::kKeptSnapshots);
    EXPECT_EQ(count("SELECT count(*) FROM snapshot_sheet WHERE snapshot NOT IN (SELECT id FROM snapshot)"), 0);
    sqlite3_close(db);
    EXPECT_EQ(*j->readSession(*j->previousSession()), sampleBook(6));
}

TEST_F(JournalTest, OnlyTheOwnerCanReadTheJournal)
{
    auto j = Journal::open(path(), QStringLiteral("quorvane"));
    j->write(sampleBook());
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    for (const QString& f : {path(), path() + QStringLiteral("-wal")}) {
        ASSERT_TRUE(QFileInfo::exists(f)) << f.toStdString();
        EXPECT_FALSE(QFile::permissions(f) & others) << f.toStdString();
    }
}

TEST_F(JournalTest, ADamagedJournalIsSetAsideAndANewOneStarted)
{
    {
        auto j = Journal::open(path(), QStringLiteral("quorvane"));
        j->write(sampleBook());
        j->closeSession();
    }
    // Overwrite the middle of the database (the WAL was checkpointed at close).
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 size = f.size();
    ASSERT_GT(size, 8192);
    f.seek(4096);
    f.write(QByteArray(int(size - 4096), '\x5a'));
    f.close();
    auto j = Journal::open(path(), QStringLiteral("quorvane"));
    ASSERT_FALSE(j->setAsidePath().isEmpty());
    EXPECT_EQ(QFileInfo(j->setAsidePath()).size(), size);
    EXPECT_FALSE(j->previousSession());
    j->write(sampleBook(3));
    EXPECT_EQ(*j->readSession(j->session()), sampleBook(3));

    // Not a database at all.
    j.reset();
    QFile::remove(path() + QStringLiteral("-wal"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("Sheet1,K001,1.0\n");
    f.close();
    auto k = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_FALSE(k->setAsidePath().isEmpty());
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenIsAnError)
{
    // The journal's folder is a file: nothing can be created there (even by root).
    QFile block(dir.filePath(QStringLiteral("block")));
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    EXPECT_THROW(Journal::open(dir.filePath(QStringLiteral("block/journal.sqlite")), QStringLiteral("quorvane")),
                 journal::JournalError);
    // The journal's name is a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_THROW(Journal::open(dir.filePath(QStringLiteral("folder")), QStringLiteral("quorvane")), journal::JournalError);
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir()) << "never set aside";
}

TEST_F(JournalTest, TheWriterFoldsQueuedWorkbooksAndReportsEachCommit)
{
    std::mutex m;
    std::vector<quint64> reported;
    journal::JournalWriter writer(Journal::open(path(), QStringLiteral("quorvane")), [&](quint64 post, const QString& error) {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        const std::lock_guard l(m);
        reported.push_back(post);
    });
    crash_burst::Burst burst(5);
    quint64 last = 0;
    for (int i = 0; i < 50; ++i) {
        last = writer.post(burst.book());
        burst.step();
    }
    writer.waitIdle();
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), last);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    std::optional<Workbook> read;
    writer.run([&](Journal& j) { read = j.readSession(j.session()); });
    crash_burst::Burst replay(5);
    for (int i = 0; i < 49; ++i) replay.step();
    EXPECT_EQ(*read, replay.book());
    EXPECT_THROW(writer.run([](Journal&) { throw journal::JournalError("x"); }), journal::JournalError);
}

} // namespace
