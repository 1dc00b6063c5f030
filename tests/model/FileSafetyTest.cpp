// The one way files are written: replaced whole through a temporary, new names taken only when
// free, temporaries cleaned up only when they are ours, private folders and files checked.
#include "model/FileSafety.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstddef>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utime.h>

using namespace model;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Everything in the folder, hidden names included.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

unsigned modeOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

std::function<bool(QIODevice&)> writing(const QByteArray& content)
{
    return [content](QIODevice& file) { return file.write(content) == content.size(); };
}

void makeOld(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    const utimbuf twoHoursAgo{::time(nullptr) - 7200, ::time(nullptr) - 7200};
    ASSERT_EQ(::utime(p.constData(), &twoHoursAgo), 0);
}

} // namespace

TEST(FileSafety, AReplacedFileKeepsItsAccessAndAFailedWriteLeavesItAndNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sheet1.csv"));
    writeFile(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);

    EXPECT_FALSE(saveFile(path, writing("new")));
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(modeOf(path), 0640u);

    // A write that fails, and one that throws: the old file stays, nothing else is left.
    const auto failure = saveFile(path, [](QIODevice& file) {
        file.write("half");
        errno = ENOSPC;
        return false;
    });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->problem, FileProblem::DiskFull);
    EXPECT_EQ(failure->path, path);
    EXPECT_THROW(saveFile(path, [](QIODevice&) -> bool { throw std::runtime_error("no"); }), std::runtime_error);
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Sheet1.csv")});

    // A file the user may not write is not replaced (the administrator may write anything).
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0440), 0);
        const auto readOnly = saveFile(path, writing("newer"));
        ASSERT_TRUE(readOnly);
        EXPECT_EQ(readOnly->problem, FileProblem::FileReadOnly);
        EXPECT_EQ(readFile(path), "new");
    }
}

TEST(FileSafety, ANewFileTakesTheFirstFreeNameAndOnlyThatFileIsRemovedAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.xlsx"));
    writeFile(path, "the user's");
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere")), dir.filePath(QStringLiteral("report_2.xlsx"))));

    const NewFile made = writeNewFile(path, writing("report"));
    ASSERT_FALSE(made.failure);
    EXPECT_EQ(made.path, dir.filePath(QStringLiteral("report_3.xlsx")));
    EXPECT_EQ(readFile(made.path), "report");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere"))));

    // Once another file has taken its name, nothing is removed.
    const QString replaced = dir.filePath(QStringLiteral("replacement"));
    writeFile(replaced, "someone else's");
    ASSERT_EQ(::rename(QFile::encodeName(replaced).constData(), QFile::encodeName(made.path).constData()), 0);
    EXPECT_FALSE(removeMadeFile(made));
    EXPECT_EQ(readFile(made.path), "someone else's");

    const NewFile again = writeNewFile(path, writing("second"));
    ASSERT_FALSE(again.failure);
    EXPECT_EQ(again.path, dir.filePath(QStringLiteral("report_4.xlsx")));
    EXPECT_TRUE(removeMadeFile(again));
    EXPECT_FALSE(QFileInfo::exists(again.path));
    EXPECT_EQ(readFile(path), "the user's");
    EXPECT_EQ(entries(dir.path()), (QStringList{"report.xlsx", "report_2.xlsx", "report_3.xlsx"}));
}

// A file system that offers neither an exclusive rename nor a second name for a file (as
// network and FAT file systems do): the calls fail in this process as such a system fails them.
namespace {

void refuseExclusiveRenamesAndLinks()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_renameat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EINVAL),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_linkat, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
#ifdef __NR_link
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_link, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
#endif
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) ::_exit(3);
}

// Exits 0 when a new file is still created only under a free name and never through a link.
void newFilesWithoutExclusiveRenames(const QString& folder)
{
    refuseExclusiveRenamesAndLinks();
    const QString path = folder + QStringLiteral("/report.xlsx");
    const NewFile first = writeNewFile(path, writing("first"));
    const NewFile second = writeNewFile(path, writing("second"));
    const bool named = !first.failure && first.path == path && !second.failure && second.path == folder + QStringLiteral("/report_2.xlsx");
    const bool written = readFile(path) == "first" && readFile(second.path) == "second";
    // A link at the next name is passed over, its target never created.
    const bool linked = QFile::link(folder + QStringLiteral("/elsewhere"), folder + QStringLiteral("/report_3.xlsx"));
    const NewFile third = writeNewFile(path, writing("third"));
    const bool passed = linked && !third.failure && third.path == folder + QStringLiteral("/report_4.xlsx") &&
                        !QFileInfo::exists(folder + QStringLiteral("/elsewhere")) && removeMadeFile(third);
    const bool clean = entries(folder) == QStringList{"report.xlsx", "report_2.xlsx", "report_3.xlsx"};
    ::_exit(named && written && passed && clean ? 0 : 1);
}

} // namespace

TEST(FileSafetyDeathTest, WithoutExclusiveRenamesANewNameIsStillCreatedExclusively)
{
    QTemporaryDir dir;
    EXPECT_EXIT(newFilesWithoutExclusiveRenames(dir.path()), testing::ExitedWithCode(0), "");
}

TEST(FileSafety, OnlyTheUsersOwnStaleTemporariesAreCleanedUp)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    for (const char* name : {".Sheet1.csv.quorvane-aB3dE9", ".Sheet1.csv.quorvane-young1", "Sheet1.csv.aB3dE9", "Sheet1.csv.backup",
                             ".Sheet2.csv.quorvane-forgn1"}) {
        writeFile(at(name), "x");
        makeOld(at(name));
    }
    writeFile(at(".Sheet1.csv.quorvane-young1"), "still being written");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(".Sheet3.csv.quorvane-folder")));
    writeFile(at("target"), "kept");
    ASSERT_TRUE(QFile::link(at("target"), at(".Sheet4.csv.quorvane-linked")));
    const bool foreign = ::geteuid() == 0 && ::chown(QFile::encodeName(at(".Sheet2.csv.quorvane-forgn1")).constData(), 65534, 65534) == 0;
    if (!foreign) {
        ASSERT_TRUE(QFile::remove(at(".Sheet2.csv.quorvane-forgn1")));
    }

    EXPECT_TRUE(isTemporaryName(QStringLiteral(".Sheet1.csv.quorvane-aB3dE9")));
    EXPECT_FALSE(isTemporaryName(QStringLiteral("Sheet1.csv.aB3dE9")));
    removeStaleTemporaries(dir.path());
    QStringList expected{".Sheet1.csv.quorvane-young1", ".Sheet3.csv.quorvane-folder", ".Sheet4.csv.quorvane-linked", "Sheet1.csv.aB3dE9",
                         "Sheet1.csv.backup", "target"};
    if (foreign) expected << ".Sheet2.csv.quorvane-forgn1";
    expected.sort();
    EXPECT_EQ(entries(dir.path()), expected);
    EXPECT_EQ(readFile(at("target")), "kept");
    if (!foreign) GTEST_SKIP() << "a file of another user's needs the administrator to make";
}

TEST(FileSafety, PrivateFoldersAndFilesAreTheUsersOwnAndNeverALink)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data/Quorvane"));
    ASSERT_TRUE(makeOwnPrivateFolder(folder));
    EXPECT_EQ(modeOf(folder), 0700u);
    // A folder of the user's that others may enter is closed.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_TRUE(makeOwnPrivateFolder(folder));
    EXPECT_EQ(modeOf(folder), 0700u);
    // A link to a folder elsewhere is refused, as is a file.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), dir.filePath(QStringLiteral("linked"))));
    EXPECT_FALSE(makeOwnPrivateFolder(dir.filePath(QStringLiteral("linked"))));

    const QString file = folder + QStringLiteral("/journal.sqlite");
    ASSERT_TRUE(makeOwnPrivateFile(file));
    EXPECT_EQ(modeOf(file), 0600u);
    ASSERT_TRUE(QFile::remove(file));
    const QString victim = elsewhere.filePath(QStringLiteral("notes"));
    writeFile(victim, "mine");
    ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(victim, file));
    EXPECT_FALSE(makeOwnPrivateFile(file));
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("nothing")), file));
    EXPECT_FALSE(makeOwnPrivateFile(file));
    EXPECT_EQ(entries(elsewhere.path()), QStringList{QStringLiteral("notes")});
    EXPECT_EQ(modeOf(victim), 0644u);
    EXPECT_EQ(readFile(victim), "mine");

    if (::geteuid() != 0) GTEST_SKIP() << "a folder and a file of another user's need the administrator to make";
    ASSERT_TRUE(QFile::remove(file));
    writeFile(file, "");
    ASSERT_EQ(::chown(QFile::encodeName(file).constData(), 65534, 65534), 0);
    EXPECT_FALSE(makeOwnPrivateFile(file));
    ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    EXPECT_FALSE(makeOwnPrivateFolder(folder));
}
