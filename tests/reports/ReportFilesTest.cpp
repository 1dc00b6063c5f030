// Names and copies of the report files: the time stamp, free names, copying templates.
#include "reports/ReportFiles.h"

#include "TestSupport.h"

#include "spreadsheet/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ReportFiles, NamesFollowTheFoldersBesideTheProgramAndTheChartKind)
{
    const ReportFolders f = ReportFolders::beside(QStringLiteral("/opt/quorvane"));
    EXPECT_EQ(f.formFiles, QStringLiteral("/opt/quorvane/Form Files"));
    EXPECT_EQ(f.saveFiles, QStringLiteral("/opt/quorvane/Save Files"));
    EXPECT_EQ(controlChartTemplateName(judge::ChartKind::XbarR), QStringLiteral("XbarR.xlsx"));
    EXPECT_EQ(controlChartTemplateName(judge::ChartKind::XbarS), QStringLiteral("XbarS.xlsx"));
    EXPECT_EQ(controlChartTemplateName(judge::ChartKind::XRs), QStringLiteral("X-Rs.xlsx"));
    // Two-digit fields with leading zeros and a 24-hour clock.
    EXPECT_EQ(timeStampPrefix(QDateTime(QDate(2024, 1, 31), QTime(17, 45, 2))), QStringLiteral("20240131_174502_"));
    EXPECT_EQ(timeStampPrefix(QDateTime(QDate(2025, 9, 3), QTime(4, 5, 6))), QStringLiteral("20250903_040506_"));
}

TEST(ReportFiles, ACopyTakesTheFirstNameNoEntryHasCountingUpBeforeTheExtension)
{
    QTemporaryDir dir;
    const QString templ = dir.path() + QStringLiteral("/XbarR.xlsx");
    writeFile(templ, "template");
    const QDateTime when(QDate(2024, 1, 31), QTime(17, 45, 2));
    const QString base = dir.path() + QStringLiteral("/20240131_174502_XbarR");
    // A file, a folder and a link to nothing hold the first three names: none is written.
    writeFile(base + QStringLiteral(".xlsx"), "first");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("20240131_174502_XbarR_2.xlsx")));
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/nowhere"), base + QStringLiteral("_3.xlsx")));
    EXPECT_EQ(copyTemplate(templ, dir.path(), when).path, base + QStringLiteral("_4.xlsx"));
    EXPECT_EQ(readFile(base + QStringLiteral(".xlsx")), "first");
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/nowhere")));
}

TEST(ReportFiles, TwoCopiesInOneSecondGiveTwoFilesAndLeaveTheFirstAlone)
{
    QTemporaryDir dir;
    const QString templ = dir.path() + QStringLiteral("/X-Rs.xlsx");
    writeFile(templ, "template");
    const QString out = dir.path() + QStringLiteral("/Save Files");
    const QDateTime when(QDate(2024, 1, 31), QTime(17, 45, 2));

    const QString first = copyTemplate(templ, out, when).path; // the folder is made when missing
    EXPECT_EQ(first, out + QStringLiteral("/20240131_174502_X-Rs.xlsx"));
    EXPECT_EQ(readFile(first), "template");
    writeFile(first, "edited by the operator");
    const QString second = copyTemplate(templ, out, when).path;
    EXPECT_EQ(second, out + QStringLiteral("/20240131_174502_X-Rs_2.xlsx"));
    EXPECT_EQ(readFile(second), "template");
    EXPECT_EQ(readFile(first), "edited by the operator");
}

TEST(ReportFiles, AMissingTemplateIsNamedAndNothingIsCopied)
{
    QTemporaryDir dir;
    try {
        copyTemplate(dir.path() + QStringLiteral("/Form Files/Histogram.xlsx"), dir.path(), QDateTime::currentDateTime());
        ADD_FAILURE() << "no error";
    } catch (const spreadsheet::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Histogram.xlsx"))) << e.message().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}

#ifdef Q_OS_UNIX
TEST(ReportFiles, ACopyTheDiskCannotHoldIsRemovedAndTheErrorSaysWhy)
{
    QTemporaryDir dir;
    const QString templ = dir.path() + QStringLiteral("/XbarR.xlsx");
    writeFile(templ, QByteArray(64 * 1024, 'x'));
    const QString out = dir.path() + QStringLiteral("/Save Files");
    ASSERT_TRUE(QDir().mkdir(out));

    QString message;
    testing_support::withFileSizeLimit(1024, [&] {
        try {
            copyTemplate(templ, out, QDateTime(QDate(2024, 1, 31), QTime(17, 45, 2)));
        } catch (const spreadsheet::Error& e) {
            message = e.message();
        }
    });
    EXPECT_EQ(message, QStringLiteral("帳票ファイルを作成できませんでした。\n")
                           + QDir::toNativeSeparators(out + QStringLiteral("/20240131_174502_XbarR.xlsx")) + QStringLiteral("：空き容量が足りません"));
    EXPECT_TRUE(QDir(out).isEmpty()); // no half copy left to be taken for a report
}
#endif
