// quorvane-cli report as a night shift's script runs it: one workbook per judged sheet into a
// folder, named with the sheet number after the time stamp, and status 2 with a reason for
// every workbook it could not write.
#include "CliTestSupport.h"

#include "spreadsheet/Book.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

using namespace cli_test;

namespace {

class ReportCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<model::SheetRecord> sheets;
        sheets.push_back(sheet(q("外径"), {"0012,9.800,10.000,10.200", "1E3,10.100,10.000,9.900", "K003,10.000,10.400,10.300"}));
        sheets.push_back(sheet(q("空"), {})); // no values: no capability result, no report
        sheets.push_back(sheet(q("内径"), {"K001,9.900,10.000,10.100", "K002,10.000,10.200,10.100", "K003,9.800,10.000,10.100"}));
        book = dir.filePath(QStringLiteral("book.xlsx"));
        writeWorkbook(book, sheets);
        out = dir.filePath(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkdir(out));
    }
    QStringList outFiles() const { return QDir(out).entryList(QDir::Files, QDir::Name); }
    QTemporaryDir dir;
    QString book, out;
};

} // namespace

TEST_F(ReportCommand, EverySheetWithAResultGetsItsWorkbookNamedWithItsNumber)
{
    const CliResult r = runCli({"report", book, "--kind", "control", "--chart", "xbars", "--out", out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QStringList files = outFiles();
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    const QRegularExpression name(QStringLiteral("^(\\d{8}_\\d{6})_(\\d\\d)_XbarS\\.xlsx$"));
    const auto first = name.match(files[0]), second = name.match(files[1]);
    ASSERT_TRUE(first.hasMatch() && second.hasMatch()) << files.join(' ').toStdString();
    EXPECT_EQ(first.captured(2), "01");
    EXPECT_EQ(second.captured(2), "03");
    EXPECT_EQ(first.captured(1), second.captured(1)); // one time stamp for the whole run
    // The paths, one a line, in sheet order.
    EXPECT_EQ(QString::fromUtf8(r.out), QDir(out).filePath(files[0]) + u'\n' + QDir(out).filePath(files[1]) + u'\n');

    // The lot rows of the first sheet, the S chart's centre S̄.
    const auto chart = spreadsheet::Book::open(QDir(out).filePath(files[0]));
    EXPECT_EQ(chart->text(0, 4, 1), "K003");
    EXPECT_EQ(chart->text(0, 3, 2), "10");
    EXPECT_EQ(chart->text(0, 5, 1), "");
    const double sBar = (0.2 + 0.1 + std::sqrt(0.26 / 6)) / 3; // the third lot: 10.0, 10.4, 10.3
    EXPECT_NEAR(chart->text(0, 2, 7).toDouble(), sBar, 1e-5);

    // One sheet, and the other two kinds.
    const CliResult h = runCli({"report", book, "--kind=histogram", "--classes", "5", "--sheet", "3", "--out=" + out});
    EXPECT_EQ(h.status, 0) << h.err.toStdString();
    const QString histogram = QString::fromUtf8(h.out).trimmed();
    EXPECT_TRUE(histogram.endsWith(QStringLiteral("_03_Histogram.xlsx"))) << histogram.toStdString();
    EXPECT_EQ(spreadsheet::Book::open(histogram)->text(1, 19, 2), "5");
    const CliResult res = runCli({"report", book, "--kind", "result", "--sheet", "1", "--out", out});
    EXPECT_EQ(res.status, 0) << res.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(res.out).trimmed().endsWith(QStringLiteral("_01_判定結果.xlsx"))) << res.out.toStdString();
    EXPECT_EQ(outFiles().size(), 4);
}

TEST_F(ReportCommand, WhatCannotBeWrittenEndsWithStatusTwoAndItsReason)
{
    // The sheet without values has no result to report.
    CliResult r = runCli({"report", book, "--kind", "control", "--sheet", "2", "--out", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("シート2")) << r.err.toStdString();
    EXPECT_TRUE(outFiles().isEmpty());

    // An output folder that is a file, or is not there.
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    r = runCli({"report", book, "--kind", "control", "--out", plain.fileName()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("フォルダではありません")) << r.err.toStdString();
    r = runCli({"report", book, "--kind", "control", "--out", dir.filePath(QStringLiteral("missing"))});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));

    // A folder that takes no new files (sysfs refuses them to root as well).
    QFile probe(QStringLiteral("/sys/quorvane-probe.xlsx"));
    if (!probe.open(QIODevice::WriteOnly)) {
        r = runCli({"report", book, "--kind", "histogram", "--out", "/sys"});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count('\n'), 2) << r.err.toStdString(); // one line for each of the two sheets
        EXPECT_TRUE(r.err.contains("帳票ファイルを作成できませんでした")) << r.err.toStdString();
    } else {
        probe.remove();
    }

    // A program without its templates beside it.
    const QString lonely = dir.filePath(QStringLiteral("lonely"));
    ASSERT_TRUE(QDir().mkdir(lonely));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVANE_CLI), lonely + QStringLiteral("/quorvane-cli")));
    QProcess p;
    p.start(lonely + QStringLiteral("/quorvane-cli"), {"report", book, "--kind", "control", "--sheet", "1", "--out", out});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("XbarR.xlsx"));
    EXPECT_TRUE(outFiles().isEmpty());

    // Arguments it cannot use.
    for (const QStringList& args : {QStringList{"report", book, "--out", out}, QStringList{"report", book, "--kind", "pareto"},
                                    QStringList{"report", book, "--kind", "histogram", "--classes", "11"},
                                    QStringList{"report", book, "--kind", "control", "--format", "json"}}) {
        r = runCli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(ReportCommand, AReportTheDiskCannotHoldLeavesNoCopyBehindAndSaysSo)
{
    if (!testing_support::ownMountNamespace()) GTEST_SKIP() << "a disk that holds the copy but not the filled report needs a tmpfs "
                                                               "in a mount namespace of the test's own (the administrator's)";
    // Room for one copy of the template and an earlier report of the user's, not for a filled report.
    const QString templ = QFileInfo(QStringLiteral(QUORVANE_CLI)).absolutePath() + QStringLiteral("/Form Files/XbarR.xlsx");
    const qint64 copyPages = (QFileInfo(templ).size() + 4095) / 4096;
    ASSERT_GT(copyPages, 0);
    CliResult r;
    QStringList left;
    ASSERT_TRUE(testing_support::withFullDisk(out, (copyPages + 2) * 4096, [&] {
        QFile mine(out + QStringLiteral("/20240131_174502_01_XbarR.xlsx"));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("an earlier report");
        mine.close();
        r = runCli({"report", book, "--kind", "control", "--out", out}); // the command runs on the same full disk
        left = QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    const QStringList lines = QString::fromUtf8(r.err).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.err.toStdString(); // sheets 1 and 3
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(q("作成途中の帳票ファイル「")) && line.contains(q("」は削除しました。")) && line.contains(q("空き容量が足りません")))
            << line.toStdString();
    EXPECT_EQ(left, QStringList{QStringLiteral("20240131_174502_01_XbarR.xlsx")});
}
