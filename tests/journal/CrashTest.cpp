// A copy killed at any moment of a burst of changes leaves the workbook of its last reported
// commit, or of the one it was committing: never a mix, never less.
#include "CrashBurst.h"
#include "journal/Journal.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <random>

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
            EXPECT_FALSE(other->uncleanSession()) << "kill " << kill;
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
        ASSERT_TRUE(j->uncleanSession()) << "kill " << kill;
        const auto left = j->readSession(*j->uncleanSession());
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
    ASSERT_TRUE(j->uncleanSession());
    EXPECT_EQ(*j->readSession(*j->uncleanSession()), stateOfPost(seed, reported));
}
