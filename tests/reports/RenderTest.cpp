// Every report as LibreOffice (headless) opens it: rendered to PDF, and the template reports
// saved again so that what it computed can be read back: the formulas' values and the points
// of every chart.
#include "ReportTestSupport.h"

#include "model/NumberText.h"
#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ResultReport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace reports;
using namespace reports_testing;
using judge::ChartKind;
using judge::testing::TestSheet;

namespace {

// LibreOffice headless with a profile of its own, converting files into a folder.
void convert(const QStringList& files, const QString& format, const QString& folder)
{
    static QTemporaryDir profile;
    QProcess p;
    p.start(QStringLiteral("soffice"), QStringList{QStringLiteral("-env:UserInstallation=file://") + profile.path(),
                                                   QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                                   QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), folder}
                                           + files);
    ASSERT_TRUE(p.waitForStarted(30000));
    ASSERT_TRUE(p.waitForFinished(180000)) << "LibreOffice did not finish";
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

struct ChartSeries {
    QString values;    // the range of its values
    QStringList points; // the cached points, in order
};

// The series of every chart part, with the points the saving program cached.
QList<ChartSeries> chartSeries(const spreadsheet::Book& book)
{
    QList<ChartSeries> all;
    static const QRegularExpression ser(QStringLiteral("<c:ser>(.*?)</c:ser>"), QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression val(QStringLiteral("<c:val>.*?<c:f>([^<]*)</c:f>(.*?)</c:val>"), QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression pt(QStringLiteral("<c:pt idx=\"\\d+\"><c:v>([^<]*)</c:v>"));
    for (const QString& name : book.partNames()) {
        if (!name.startsWith(QStringLiteral("xl/charts/chart"))) continue;
        const QString xml = QString::fromUtf8(book.part(name));
        for (auto s = ser.globalMatch(xml); s.hasNext();) {
            const auto v = val.match(s.next().captured(1));
            if (!v.hasMatch()) continue;
            ChartSeries cs{v.captured(1), {}};
            for (auto p = pt.globalMatch(v.captured(2)); p.hasNext();) cs.points << p.next().captured(1);
            all << cs;
        }
    }
    return all;
}

TestSheet sheetOf(int lots, int measurements)
{
    TestSheet s(measurements);
    for (int i = 0; i < lots; ++i) {
        std::vector<double> v;
        for (int m = 0; m < measurements; ++m) v.push_back(std::round((10 + 0.04 * std::sin(i * 1.7 + m * 2.3)) * 1000) / 1000);
        s.values(v);
    }
    return s;
}

} // namespace

TEST(Render, EveryReportOpensInLibreOfficeWithComputedValuesAndFullCharts)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    const ReportFolders f = folders(dir.path() + QStringLiteral("/Save Files"));
    const judge::ControlLimitTexts limits{QStringLiteral("10.05000"), QStringLiteral("9.95000"), QStringLiteral("0.08000")};
    const int lots = 25;

    struct Expected {
        QString file;
        ControlChartData data;
    };
    QList<Expected> charts;
    for (ChartKind kind : {ChartKind::XbarR, ChartKind::XbarS, ChartKind::XRs}) {
        const CalcGrid g = judgedGrid(sheetOf(lots, kind == ChartKind::XRs ? 1 : 5), kind);
        const ControlChartData data = controlChartData(g.table, g.rowCount, kind, limits);
        ExcelSession session;
        charts.append({fillControlChart(session, f, QDateTime::currentDateTime(), data), data});
    }
    const TestSheet hist = sheetOf(40, 6);
    const int classes = 7;
    ExcelSession session;
    const QString histogram = fillHistogram(session, f, QDateTime::currentDateTime(),
                                            histogramData(hist.cells, hist.lots, 40, 6, QStringLiteral("3"), classes));

    // The result workbook has no template: the grids' cells and formats are all it holds.
    const CalcGrid calc = judgedGrid(hist, ChartKind::XbarR);
    model::SheetRecord record;
    record.item = QStringLiteral("外径");
    record.digits = QStringLiteral("3");
    ResultGrids results;
    results.record = &record;
    results.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &hist.cells, &hist.lots, 41, 6},
                     exchange::GridBlock{exchange::GridKind::Capability, &calc.table, nullptr, calc.rowCount, 10},
                     exchange::GridBlock{exchange::GridKind::Spc, &calc.table, nullptr, 3, 1}};
    results.captions = {QStringLiteral("測定値入力＆規格判定"), QStringLiteral("CP-CPK不良率判定"), QStringLiteral("SPC異常判定(X側-R側)")};
    ExcelSession resultSession;
    const QString result = writeResultWorkbook(resultSession, f, QDateTime::currentDateTime(), results);

    QStringList files{histogram, result};
    for (const Expected& e : charts) files << e.file;
    convert(files, QStringLiteral("pdf"), dir.path() + QStringLiteral("/pdf"));
    convert(files, QStringLiteral("xlsx:Calc MS Excel 2007 XML"), dir.path() + QStringLiteral("/again"));

    for (const QString& file : files) {
        const QString pdf = dir.path() + "/pdf/" + QFileInfo(file).completeBaseName() + ".pdf";
        EXPECT_GT(QFileInfo(pdf).size(), 10000) << pdf.toStdString();
    }

    for (const Expected& e : charts) {
        SCOPED_TRACE(e.file.toStdString());
        const auto book = spreadsheet::Book::open(dir.path() + "/again/" + QFileInfo(e.file).fileName());
        // The page's table shows the limits and the lot count computed from the data sheet.
        EXPECT_EQ(model::tryParseNumber(book->text(1, 5, 2)), e.data.centre);
        EXPECT_EQ(model::tryParseNumber(book->text(1, 5, 3)), e.data.ucl);
        EXPECT_EQ(model::tryParseNumber(book->text(1, 6, 2)), e.data.dispersionCentre);
        EXPECT_EQ(book->text(1, 5, 7), QString::number(lots));
        // The limit lines hold row 2's values down to the last lot.
        EXPECT_EQ(model::tryParseNumber(book->text(0, lots + 1, 4)), e.data.ucl);
        const QList<ChartSeries> series = chartSeries(*book);
        ASSERT_EQ(series.size(), 7);
        for (const ChartSeries& s : series) EXPECT_EQ(s.points.size(), lots) << s.values.toStdString();
        EXPECT_EQ(model::tryParseNumber(series[0].points[0]), model::tryParseNumber(e.data.means[0]));
    }

    // Histogram: the statistics and classes computed from the 240 values, one labelled bar per class.
    const auto book = spreadsheet::Book::open(dir.path() + "/again/" + QFileInfo(histogram).fileName());
    EXPECT_EQ(book->text(1, 5, 2), "240");
    EXPECT_EQ(book->text(1, 19, 2), QString::number(classes));
    int counted = 0;
    for (int r = 24; r < 24 + classes; ++r) counted += book->text(1, r, 4).toInt();
    EXPECT_EQ(counted, 240);
    EXPECT_EQ(book->text(1, 24 + classes, 4), ""); // no class beyond the count
    const QList<ChartSeries> series = chartSeries(*book);
    ASSERT_EQ(series.size(), 2);
    EXPECT_EQ(series[1].points.size(), classes);
    int labelled = 0;
    for (const QString& p : series[1].points) labelled += p.toInt();
    EXPECT_EQ(labelled, 240);
}
