#include "model/FileFailure.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>

using namespace model;

TEST(FileFailure, WritesAreExplainedByTheFileSystemFirstThenBySystemError)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));

    const QString fresh = dir.filePath("out.xlsx");
    EXPECT_EQ(writeFailure(fresh, ENOSPC).problem, FileProblem::DiskFull);
#ifdef EDQUOT
    EXPECT_EQ(writeFailure(fresh, EDQUOT).problem, FileProblem::DiskFull);
#endif
    EXPECT_EQ(writeFailure(fresh, EACCES).problem, FileProblem::FolderNotWritable);
    EXPECT_EQ(writeFailure(fresh, EROFS).problem, FileProblem::FolderNotWritable);
    EXPECT_EQ(writeFailure(fresh, 0).problem, FileProblem::Other);
    // What the path shows outweighs a stale or misleading error number.
    EXPECT_EQ(writeFailure(plain + "/out.xlsx", ENOSPC).problem, FileProblem::FolderMissing);
    EXPECT_EQ(writeFailure(dir.filePath("none/deeper/out.xlsx"), 0).problem, FileProblem::FolderMissing);
    EXPECT_EQ(writeFailure(dir.filePath("folder"), ENOSPC).problem, FileProblem::IsFolder);
    EXPECT_EQ(writeFailure(fresh, ENOSPC).path, fresh);
}

TEST(FileFailure, ReadsTellAMissingFileFromAMissingFolderAndABrokenLink)
{
    QTemporaryDir dir;
    EXPECT_EQ(readFailure(dir.filePath("gone.csv"), ENOENT).problem, FileProblem::NotFound);
    EXPECT_EQ(readFailure(dir.filePath("gone/x.csv"), ENOENT).problem, FileProblem::FolderMissing);
    EXPECT_EQ(readFailure(dir.path(), EISDIR).problem, FileProblem::IsFolder);
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("link.csv")));
    EXPECT_EQ(readFailure(dir.filePath("link.csv"), ENOENT).problem, FileProblem::BrokenLink);
}

TEST(FileFailure, TheSecondLineIsThePathAndTheReasonInJapanese)
{
    EXPECT_EQ(failureLine({FileProblem::DiskFull, "/data/out/Sheet1.csv"}),
              QDir::toNativeSeparators("/data/out/Sheet1.csv") + QStringLiteral("：空き容量が足りません"));
    EXPECT_EQ(problemText(FileProblem::FolderNotWritable), QStringLiteral("保存先フォルダに書き込めません"));
    // Every reason is Japanese: no Latin letters at all.
    for (int p = 0; p <= int(FileProblem::Other); ++p)
        for (QChar c : problemText(FileProblem(p))) EXPECT_FALSE(c.isLetter() && c.unicode() < 0x80) << p;
}
