#include "CrashBurst.h"
#include "journal/Journal.h"
#include "journal/JournalWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
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

std::vector<qint64> ids(const std::vector<journal::SessionInfo>& sessions)
{
    std::vector<qint64> out;
    for (const journal::SessionInfo& s : sessions) out.push_back(s.id);
    return out;
}

TEST_F(JournalTest, OffersASessionThatEndedUncleanlyOnceAndNeverOneThatStillRuns)
{
    const Workbook book = sampleBook(7);
    auto running = Journal::open(path(), QStringLiteral("quorvane-copy"));
    running->write(sampleBook(8));
    qint64 crashedId = 0;
    {
        auto crashed = Journal::open(path(), QStringLiteral("quorvane"), QStringLiteral("pc1 (:0)"));
        crashed->write(book);
        crashedId = crashed->session();
    } // ends without closing its session, as a killed copy does

    auto next = Journal::open(path(), QStringLiteral("quorvane"));
    ASSERT_EQ(ids(next->crashedSessions()), std::vector<qint64>{crashedId});
    const journal::SessionInfo& offered = next->crashedSessions().front();
    EXPECT_EQ(offered.station, QStringLiteral("pc1 (:0)"));
    EXPECT_EQ(offered.sheets, 4);
    EXPECT_LE(qAbs(offered.written.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_EQ(*next->readSession(crashedId), book);
    next->markOffered();
    EXPECT_TRUE(next->crashedSessions().empty());
    next->closeSession();
    next.reset();

    auto again = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_TRUE(again->crashedSessions().empty()) << "asked once only";
    // The sessions to open are those no copy runs: not the running copy's.
    EXPECT_EQ(ids(again->endedSessions()), std::vector<qint64>{crashedId});
    again->closeSession();
    again.reset();

    // The running copy goes on and ends normally: its workbook is there to open, the latest
    // written first, and never offered.
    QThread::msleep(5);
    running->write(sampleBook(9));
    running->closeSession();
    const qint64 runningId = running->session();
    running.reset();
    auto fourth = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_TRUE(fourth->crashedSessions().empty());
    const std::vector<journal::SessionInfo> ended = fourth->endedSessions();
    ASSERT_EQ(ids(ended), (std::vector<qint64>{runningId, crashedId}));
    EXPECT_TRUE(ended[0].closed);
    EXPECT_FALSE(ended[1].closed);
    EXPECT_EQ(*fourth->readSession(runningId), sampleBook(9));
}

TEST_F(JournalTest, AJournalOfTheFormerVersionKeepsWhatItHolds)
{
    // A journal as the former version left it: a session that ended uncleanly.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path()).constData(), &db), SQLITE_OK);
    const Workbook book = sampleBook(3);
    ASSERT_EQ(sqlite3_exec(db, R"sql(
        CREATE TABLE session(id INTEGER PRIMARY KEY AUTOINCREMENT, program TEXT NOT NULL, started TEXT NOT NULL,
          token TEXT NOT NULL, state INTEGER NOT NULL DEFAULT 0, sheet_count INTEGER NOT NULL DEFAULT 0,
          shown INTEGER NOT NULL DEFAULT 0, chart INTEGER NOT NULL DEFAULT 0, limit_method INTEGER NOT NULL DEFAULT 0,
          ucl TEXT NOT NULL DEFAULT '', lcl TEXT NOT NULL DEFAULT '', rs_ucl TEXT NOT NULL DEFAULT '');
        CREATE TABLE sheet(session INTEGER NOT NULL, idx INTEGER NOT NULL, caption TEXT NOT NULL, record BLOB NOT NULL,
          PRIMARY KEY(session, idx)) WITHOUT ROWID;
        CREATE TABLE snapshot(id INTEGER PRIMARY KEY AUTOINCREMENT, session INTEGER NOT NULL, whole INTEGER NOT NULL,
          sheet_count INTEGER NOT NULL, shown INTEGER NOT NULL, chart INTEGER NOT NULL, limit_method INTEGER NOT NULL,
          ucl TEXT NOT NULL, lcl TEXT NOT NULL, rs_ucl TEXT NOT NULL);
        CREATE TABLE snapshot_sheet(snapshot INTEGER NOT NULL, idx INTEGER NOT NULL, caption TEXT NOT NULL,
          record BLOB NOT NULL, PRIMARY KEY(snapshot, idx)) WITHOUT ROWID;
        PRAGMA user_version = 1;)sql",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_stmt* add = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO session(id, program, started, token, sheet_count, shown, chart, limit_method, ucl) "
                       "VALUES(5, 'quorvane', '2024-03-01T08:15:00.000', 'gone', ?, ?, 0, 1, ?)",
                       -1, &add, nullptr);
    sqlite3_bind_int(add, 1, book.count());
    sqlite3_bind_int(add, 2, book.shown);
    const QByteArray ucl = book.ucl.toUtf8();
    sqlite3_bind_text(add, 3, ucl.constData(), int(ucl.size()), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(add), SQLITE_DONE);
    sqlite3_finalize(add);
    for (int i = 0; i < book.count(); ++i) {
        sqlite3_stmt* put = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO sheet VALUES(5, ?, ?, ?)", -1, &put, nullptr);
        const QByteArray caption = book.captions[i].toUtf8();
        const QByteArray record = journal::encodeRecord(book.sheets[size_t(i)]);
        sqlite3_bind_int(put, 1, i);
        sqlite3_bind_text(put, 2, caption.constData(), int(caption.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(put, 3, record.constData(), int(record.size()), SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(put), SQLITE_DONE);
        sqlite3_finalize(put);
    }
    sqlite3_close(db);

    auto j = Journal::open(path(), QStringLiteral("quorvane"));
    EXPECT_TRUE(j->setAsidePath().isEmpty()) << "not taken for damaged";
    ASSERT_EQ(ids(j->crashedSessions()), std::vector<qint64>{5});
    EXPECT_EQ(j->crashedSessions().front().written, QDateTime(QDate(2024, 3, 1), QTime(8, 15)));
    EXPECT_EQ(*j->readSession(5), book);
    EXPECT_GT(j->session(), 5);
}

TEST(JournalFileName, NamesTheHostAndStaysInItsFolder)
{
    EXPECT_EQ(journal::journalFileName(QStringLiteral("line-3.plant")), QStringLiteral("journal-line-3_plant.sqlite"));
    EXPECT_EQ(journal::journalFileName(QStringLiteral("../../x/工場")), QStringLiteral("journal-______x___.sqlite"));
    EXPECT_EQ(journal::journalFileName(QString()), QStringLiteral("journal-localhost.sqlite"));
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
    EXPECT_EQ(*j->readSession(j->endedSessions().front().id), sampleBook(6));
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
    EXPECT_TRUE(j->endedSessions().empty());
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
