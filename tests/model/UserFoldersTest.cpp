// Where "Save Files" is: beside the program only in a folder of the user's own, otherwise a
// folder of the user's made for them alone.
#include "ScopedHome.h"

#include "model/FileSafety.h"
#include "model/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// The permission bits of a folder (the user's bits and their Qt duplicates folded together).
QFile::Permissions permissions(const QString& path)
{
    return QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

} // namespace

TEST(UserFolders, BesideTheProgramOnlyInAFolderOfTheUsersOwn)
{
    const test_support::ScopedHome home;
    const QString own = QDir::cleanPath(home.path() + QStringLiteral("/Documents/Quorvane/Save Files"));
    EXPECT_EQ(model::userSaveFilesFolder(), own);

    // A build tree or a copy of the program the user made.
    QTemporaryDir program;
    EXPECT_EQ(model::saveFilesFolder(program.path()), program.path() + QStringLiteral("/Save Files"));
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("Save Files")));
    EXPECT_EQ(model::saveFilesFolder(program.path()), program.path() + QStringLiteral("/Save Files"));

    // "Save Files" there is a link (as an older installation made it): the user's own folder.
    QTemporaryDir linked;
    ASSERT_TRUE(QFile::link(QStringLiteral("/var/lib/quorvane/Save Files"), linked.path() + QStringLiteral("/Save Files")));
    EXPECT_EQ(model::saveFilesFolder(linked.path()), own);

    // A folder the user cannot write into, or missing altogether.
    EXPECT_EQ(model::saveFilesFolder(home.path() + QStringLiteral("/no such folder")), own);
#ifdef Q_OS_UNIX
    // The administrator may write everywhere: a folder belongs to the user only when they own it.
    if (::geteuid() != 0) GTEST_SKIP() << "changing a folder's owner needs the administrator";
    QTemporaryDir installed;
    ASSERT_EQ(::chown(QFile::encodeName(installed.path()).constData(), 65534, 65534), 0);
    EXPECT_TRUE(QFileInfo(installed.path()).isWritable());
    EXPECT_EQ(model::saveFilesFolder(installed.path()), own);
    // A "Save Files" of another user's beside a program folder of the user's own.
    QTemporaryDir shared;
    ASSERT_TRUE(QDir(shared.path()).mkdir(QStringLiteral("Save Files")));
    ASSERT_EQ(::chown(QFile::encodeName(shared.path() + QStringLiteral("/Save Files")).constData(), 65534, 65534), 0);
    EXPECT_EQ(model::saveFilesFolder(shared.path()), own);
#endif
}

TEST(UserFolders, TheUsersFolderIsCreatedForThemAlone)
{
    const test_support::ScopedHome home;
    const QString folder = model::userSaveFilesFolder();
    EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/Documents")));
    ASSERT_TRUE(model::makePrivateFolder(folder));
    for (const QString& level : {home.path() + QStringLiteral("/Documents"), home.path() + QStringLiteral("/Documents/Quorvane"), folder}) {
        EXPECT_TRUE(QFileInfo(level).isDir()) << level.toStdString();
        EXPECT_EQ(permissions(level), kOwnerOnly) << level.toStdString();
    }
    EXPECT_TRUE(model::makePrivateFolder(folder)); // there already

    // A folder the user keeps elsewhere is theirs to arrange: its permissions stay.
    QTemporaryDir existing;
    ASSERT_TRUE(QFile::setPermissions(existing.path(), kOwnerOnly | QFile::ReadGroup | QFile::ExeGroup));
    ASSERT_TRUE(model::makePrivateFolder(existing.path() + QStringLiteral("/Save Files")));
    EXPECT_EQ(permissions(existing.path()), kOwnerOnly | QFile::ReadGroup | QFile::ExeGroup);
    EXPECT_EQ(permissions(existing.path() + QStringLiteral("/Save Files")), kOwnerOnly);

    // A file where a folder should be: no folder, and the file is left alone.
    QFile blocker(existing.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(model::makePrivateFolder(existing.path() + QStringLiteral("/file/Save Files")));
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());
}
