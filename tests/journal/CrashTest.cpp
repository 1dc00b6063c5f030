// A copy killed at any moment of a burst of changes leaves the workbook of its last reported
// commit, or of the one it was committing: never a mix, never less.
#include "CrashBurst.h"
#include "journal/FormerJournal.h"
#include "journal/Journal.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

using journal::Journal;

namespace {

journal::Workbook stateOfPost(unsigned seed, quint64 post)
{
    crash_burst::Burst burst(seed);
    for (quint64 i = 1; i < post; ++i) burst.step();
    return burst.book();
}

TEST(JournalCrash, AKilledCopyLeavesItsLastCommitOrTheOneInFlight)
{
    // Killing a process leaves the page cache as it is: a memory file system tests the same
    // ordering of writes, without waiting for the disk.
    QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/journal-XXXXXX")
                                                                            : QDir::tempPath() + QStringLiteral("/journal-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    std::mt19937 rng(20261207);
    int inFlight = 0;
    for (int kill = 0; kill < 200; ++kill) {
        const unsigned seed = unsigned(rng());
        QProcess child;
        child.start(QStringLiteral(JOURNAL_CRASH_CHILD), {path, QString::number(seed)});
        ASSERT_TRUE(child.waitForStarted());
        // Killed somewhere after its first commit, mostly within the next few.
        ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
        QThread::usleep(rng() % 6000);
        if (kill % 10 == 0) {
            // Another copy starting meanwhile never takes the running one's session for ended.
            auto other = journal::Journal::open(path, QStringLiteral("other"));
            EXPECT_TRUE(other->crashedSessions().empty()) << "kill " << kill;
            other->closeSession();
        }
        child.kill(); // SIGKILL
        child.waitForFinished();
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        ASSERT_FALSE(out.contains(QStringLiteral("error"))) << out.toStdString();
        // Only whole lines are reports; a half-written line is no report.
        const QStringList lines = out.left(out.lastIndexOf(u'\n')).split(u'\n');
        const quint64 reported = lines.last().toULongLong();
        ASSERT_GT(reported, 0u) << out.toStdString();

        auto j = journal::Journal::open(path, QStringLiteral("checker"));
        ASSERT_EQ(j->crashedSessions().size(), 1u) << "kill " << kill;
        const auto left = j->readSession(j->crashedSessions().front().id);
        ASSERT_TRUE(left);
        if (*left == stateOfPost(seed, reported + 1) && !(*left == stateOfPost(seed, reported))) ++inFlight;
        else
            ASSERT_EQ(*left, stateOfPost(seed, reported)) << "kill " << kill << " after report " << reported;
        j->markOffered();
        j->closeSession();
    }
    RecordProperty("commits_in_flight", inFlight);
}

} // namespace

// A disk that fills up while the copy works: the failing commits are reported as failures,
// and the journal still holds the last commit that was reported.
TEST(JournalCrash, AFullDiskIsReportedAndKeepsTheLastCommit)
{
    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("full"));
    ASSERT_TRUE(QDir().mkpath(full));
    const unsigned seed = 11;
    // A small file system of its own, seen only by the script; the journal is copied out after.
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=192k tmpfs \"$1\" || exit 77;"
        "\"$0\" \"$1/journal.sqlite\" %1 | grep -m1 -B1 error;"
        "cp \"$1/journal.sqlite\" \"$1/journal.sqlite-wal\" \"$2\"/")
                               .arg(seed);
    QProcess p;
    p.start(QStringLiteral("unshare"),
            {"-m", "/bin/sh", "-c", script, QStringLiteral(JOURNAL_CRASH_CHILD), full, dir.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    if (p.exitCode() == 77) GTEST_SKIP() << "no tmpfs can be mounted here";
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("error"))) << lines[1].toStdString();
    const quint64 reported = lines[0].toULongLong();
    ASSERT_GT(reported, 0u) << lines[0].toStdString();

    auto j = journal::Journal::open(dir.filePath(QStringLiteral("journal.sqlite")), QStringLiteral("checker"));
    ASSERT_EQ(j->crashedSessions().size(), 1u);
    EXPECT_EQ(*j->readSession(j->crashedSessions().front().id), stateOfPost(seed, reported));
}

namespace {

// A copy of the program as a child process: its journal runs until the child is killed.
class Copy {
public:
    Copy(const QString& journal, unsigned seed, const char* mode)
    {
        p_.start(QStringLiteral(JOURNAL_CRASH_CHILD), {journal, QString::number(seed), QString::fromLatin1(mode)});
    }
    ~Copy() { kill(); }
    // The line the child prints once its journal is open.
    QString line()
    {
        for (int waited = 0; !p_.canReadLine() && waited < 20; ++waited) p_.waitForReadyRead(1000);
        if (!p_.canReadLine()) return QStringLiteral("no line: ") + QString::fromUtf8(p_.readAllStandardError());
        return QString::fromUtf8(p_.readLine()).trimmed();
    }
    void kill()
    {
        if (p_.state() == QProcess::NotRunning) return;
        p_.kill(); // SIGKILL: nothing of the copy runs after it
        p_.waitForFinished();
    }

private:
    QProcess p_;
};

std::vector<qint64> ids(const std::vector<journal::SessionInfo>& sessions)
{
    std::vector<qint64> out;
    for (const journal::SessionInfo& s : sessions) out.push_back(s.id);
    return out;
}

// A start of the program that looks at what it is offered and ends normally.
std::vector<qint64> offeredToAStart(const QString& path, bool answer = true)
{
    auto j = journal::Journal::open(path, QStringLiteral("quorvane"), QStringLiteral("here"));
    const std::vector<qint64> offered = ids(j->crashedSessions());
    if (answer) j->markOffered();
    j->closeSession();
    return offered;
}

bool kept(const QString& path, qint64 session)
{
    auto j = journal::Journal::open(path, QStringLiteral("lister"));
    const std::vector<qint64> ended = ids(j->endedSessions());
    j->closeSession();
    return std::find(ended.begin(), ended.end(), session) != ended.end();
}

} // namespace

// Two copies on one account (one home, one host): each crashed session is offered once, to the
// first start after it, never while its copy runs, and is kept until it was offered.
TEST(JournalCrash, EachCrashedCopyIsOfferedOnceToTheFirstStartAfterIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    Copy a(path, 1, "hold"), b(path, 2, "hold");
    const qint64 sessionA = a.line().toLongLong(), sessionB = b.line().toLongLong();
    ASSERT_GT(sessionA, 0);
    ASSERT_GT(sessionB, 0);

    // A dies; B still runs: only A is offered, and only once.
    a.kill();
    EXPECT_EQ(offeredToAStart(path), std::vector<qint64>{sessionA});
    EXPECT_TRUE(offeredToAStart(path).empty()) << "offered once";

    // B dies. Its first start claims it but dies before the operator answers: the start after
    // that is offered B again, however many starts ran while the question was open.
    b.kill();
    {
        Copy asking(path, 3, "claim");
        EXPECT_EQ(asking.line(), QString::number(sessionB));
        for (int i = 0; i < Journal::kKeptSessions + 2; ++i)
            EXPECT_TRUE(offeredToAStart(path).empty()) << "another start is offering it";
        EXPECT_TRUE(kept(path, sessionB));
    }
    {
        auto j = journal::Journal::open(path, QStringLiteral("quorvane"));
        ASSERT_EQ(ids(j->crashedSessions()), std::vector<qint64>{sessionB});
        const journal::SessionInfo& offered = j->crashedSessions().front();
        EXPECT_EQ(offered.station, QStringLiteral("station 2"));
        EXPECT_EQ(offered.sheets, 4);
        EXPECT_FALSE(offered.closed);
        EXPECT_EQ(*j->readSession(sessionB), crash_burst::Burst(2).book());
        // A was offered more starts ago than are kept.
        EXPECT_EQ(ids(j->endedSessions()), std::vector<qint64>{sessionB});
        j->markOffered();
        j->closeSession();
    }

    // Offered sessions are kept until three more sessions started after the one that offered them.
    EXPECT_TRUE(kept(path, sessionB));
    int starts = 0;
    while (kept(path, sessionB) && starts < 10) ++starts;
    EXPECT_EQ(starts, Journal::kKeptSessions - 1) << "the lister's own starts count";
}

// Two copies starting at the same moment after a crash: the crashed session goes to one of them.
TEST(JournalCrash, TwoStartsAtOnceNeverOfferTheSameSession)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    for (int round = 0; round < 10; ++round) {
        Copy crashed(path, 10 + round, "hold");
        const QString session = crashed.line();
        crashed.kill();
        Copy first(path, 1, "claim"), second(path, 2, "claim");
        const QStringList offers{first.line(), second.line()};
        EXPECT_EQ(offers.count(session), 1) << offers.join(u'|').toStdString();
        EXPECT_EQ(offers.count(QStringLiteral("-")), 1) << offers.join(u'|').toStdString();
        first.kill();
        second.kill();
        offeredToAStart(path); // the claim of a start that died goes to the next: answered here
    }
}

// A journal of the former single name, left by a copy killed before the update, is carried
// over to the host's file and its session offered; never while a copy still uses it.
TEST(JournalCrash, TheFormerJournalIsCarriedOverOnceNoCopyUsesIt)
{
    QTemporaryDir dir;
    const QString former = dir.filePath(QStringLiteral("journal.sqlite"));
    const QString path = dir.filePath(journal::journalFileName(QStringLiteral("pc1")));
    Copy old(former, 5, "hold");
    const qint64 session = old.line().toLongLong();
    ASSERT_GT(session, 0);

    journal::adoptFormerJournal(path);
    EXPECT_FALSE(QFileInfo::exists(path)) << "the former journal is in use";
    EXPECT_TRUE(QFileInfo::exists(former));

    old.kill();
    ASSERT_TRUE(QFileInfo::exists(former + QStringLiteral("-wal"))) << "a killed copy leaves its log";
    journal::adoptFormerJournal(path);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
    auto j = Journal::open(path, QStringLiteral("quorvane"));
    ASSERT_EQ(ids(j->crashedSessions()), std::vector<qint64>{session});
    EXPECT_EQ(*j->readSession(session), crash_burst::Burst(5).book());
}
