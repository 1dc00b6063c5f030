// Every report as other programs open it: rendered to PDF by LibreOffice (headless; page
// count, the chart page first and on one page) and read back by openpyxl (the cells written).
#include "ReportTestSupport.h"

#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ResultReport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace reports;
using namespace reports_testing;
using judge::ChartKind;
using judge::testing::TestSheet;

// The spreadsheet tests' helpers (tests/spreadsheet/TestSupport.cpp).
namespace testing_support {
QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 120000);
QString python();
QByteArray soffice(const QStringList& arguments);
QString toolsFolder();
} // namespace testing_support

namespace {

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

chartmodel::Identification identity(int lots, int measurements, const QString& chart)
{
    chartmodel::Identification id;
    id.product = QStringLiteral("シャフト ＡＢ－１２３（量産品・長い品種名称の例）");
    id.process = QStringLiteral("研削");
    id.device = QStringLiteral("外径測定機");
    id.item = QStringLiteral("軸外径");
    id.unit = QStringLiteral("mm");
    id.specKind = QStringLiteral("公差規格");
    id.specUpper = QStringLiteral("10.100");
    id.specLower = QStringLiteral("9.900");
    id.lotCount = lots;
    id.measurementCount = measurements;
    id.limitMethod = QStringLiteral("３シグマ法");
    id.chartKind = chart;
    id.made = QDateTime(QDate(2026, 12, 7), QTime(17, 45));
    id.version = QStringLiteral("1.0.0");
    return id;
}

// The text of each page of a PDF, and the page count.
QStringList pages(const QString& pdf)
{
    const QByteArray info = testing_support::run(QStringLiteral("pdfinfo"), {pdf});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(info));
    QStringList texts;
    for (int p = 1; p <= m.captured(1).toInt(); ++p)
        texts << QString::fromUtf8(testing_support::run(QStringLiteral("pdftotext"),
                                                        {QStringLiteral("-f"), QString::number(p), QStringLiteral("-l"), QString::number(p), pdf,
                                                         QStringLiteral("-")}));
    return texts;
}

struct Made {
    QString file;
    int lots = 0;
    QString title;  // a chart's title, on the chart page only
    QString marker; // heading of the data table, printed after it
    chartmodel::ChartModel model;
};

// Whether a page drawn as SVG holds a dashed dark red line (a control limit) with a riser: a
// step at a lot's edge.
bool hasSteppedLimit(const QString& svg)
{
    static const QRegularExpression path(QStringLiteral("<path style=\"[^\"]*stroke:rgb\\(75[.0-9]*%,0%,0%\\)[^\"]*stroke-dasharray[^\"]*\" d=\"([^\"]*)\""));
    static const QRegularExpression point(QStringLiteral("[ML] ([-0-9.]+) ([-0-9.]+)"));
    for (auto p = path.globalMatch(svg); p.hasNext();) {
        const QString d = p.next().captured(1);
        std::optional<QPointF> last;
        for (auto it = point.globalMatch(d); it.hasNext();) {
            const auto m = it.next();
            const QPointF at(m.captured(1).toDouble(), m.captured(2).toDouble());
            if (last && std::abs(at.x() - last->x()) < 1.5 && std::abs(at.y() - last->y()) > 1.5) return true;
            last = at;
        }
    }
    return false;
}

} // namespace

TEST(Render, ChartPagesPrintFirstOnOnePageWithTheIdentificationOnEveryPageAndTheCellsReadBack)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("QUORVANE_KEEP_RENDERED"));
    const ReportFolders f = folders(dir.path() + QStringLiteral("/Save Files"));
    const judge::ControlLimitTexts limits{QStringLiteral("10.05000"), QStringLiteral("9.95000"), QStringLiteral("0.08000")};

    QList<Made> made;
    int stamp = 0;
    const auto when = [&] { return QDateTime(QDate(2026, 12, 7), QTime(17, 0)).addSecs(stamp++); };
    const auto titleOf = [](ChartKind kind) {
        return kind == ChartKind::XRs ? QStringLiteral("Rs 管理図（") : kind == ChartKind::XbarS ? QStringLiteral("S 管理図（") : QStringLiteral("R 管理図（");
    };
    for (int lots : {3, 29, 100}) {
        for (ChartKind kind : {ChartKind::XbarR, ChartKind::XbarS, ChartKind::XRs}) {
            const int n = kind == ChartKind::XRs ? 1 : lots == 100 ? 100 : 5;
            chartmodel::ChartModel m = judgedModel(sheetOf(lots, n), kind, judge::LimitMethod::Specified, limits);
            m.identification = identity(lots, n, QStringLiteral("管理図"));
            m.control.lots[0] = QStringLiteral("0012");
            m.control.lots[1] = QStringLiteral("1E3");
            for (chartmodel::ChartPoint& p : m.control.x.points) p.rules.clear();
            for (chartmodel::ChartPoint& p : m.control.dispersion.points) p.rules.clear();
            m.control.x.points[1].rules = {1};
            ExcelSession session;
            made.append({fillControlChart(session, f, when(), m), lots, titleOf(kind), QStringLiteral("ロット№"), m});
        }
        const int n = lots == 100 ? 100 : 6;
        chartmodel::ChartModel h = judgedModel(sheetOf(lots, n), ChartKind::XbarR, judge::LimitMethod::ThreeSigma, {}, 7);
        h.identification = identity(lots, n, QStringLiteral("ヒストグラム"));
        ExcelSession session;
        made.append({fillHistogram(session, f, when(), h), lots, QStringLiteral("度数分布"), QString(), h});
    }
    // Under the chart constants, lots of unequal size: each lot's limits as steps.
    TestSheet unequal = sheetOf(12, 5);
    for (int c = 2; c < 5; ++c) unequal.cells.setText(c, 4, QString());
    chartmodel::ChartModel stepped = judgedModel(unequal, ChartKind::XbarR, judge::LimitMethod::Standard);
    stepped.identification = identity(12, 5, QStringLiteral("管理図"));
    ASSERT_EQ(stepped.control.lotLimits.size(), 12u);
    {
        ExcelSession session;
        made.append({fillControlChart(session, f, when(), stepped), 12, titleOf(ChartKind::XbarR), QStringLiteral("ロット№"), stepped});
    }

    // The result workbook of the 3, 29 and 100-lot sheets, with a long product name and marks.
    QStringList results;
    std::vector<std::unique_ptr<model::SheetRecord>> records;
    for (int lots : {3, 29, 100}) {
        const int n = lots == 100 ? 100 : 5;
        const TestSheet sheet = sheetOf(lots, n);
        CalcGrid calc = judgedGrid(sheet, ChartKind::XbarR);
        calc.table.setText(9, 2, QStringLiteral("×異常あり"));
        records.push_back(std::make_unique<model::SheetRecord>());
        records.back()->product = identity(lots, n, {}).product;
        records.back()->item = QStringLiteral("外径");
        records.back()->digits = QStringLiteral("3");
        ResultGrids grids;
        grids.record = records.back().get();
        grids.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &sheet.cells, &sheet.lots, lots + 1, n},
                       exchange::GridBlock{exchange::GridKind::Capability, &calc.table, nullptr, calc.rowCount, 10},
                       exchange::GridBlock{exchange::GridKind::Spc, &calc.table, nullptr, calc.rowCount, 10}};
        grids.captions = {QStringLiteral("測定値入力＆規格判定"), QStringLiteral("CP-CPK不良率判定"), QStringLiteral("SPC異常判定(X側-R側)")};
        ExcelSession session;
        results << writeResultWorkbook(session, f, when(), grids);
    }

    // Under the chart constants with the distribution chosen automatically: the capability study
    // and the fitted distribution's figures on a fourth worksheet.
    test_support::JudgedSheet studied(recordOf(sheetOf(29, 5)), ChartKind::XbarR, judge::LimitMethod::Standard);
    studied.view.study.distribution = judge::Distribution::Auto;
    chartmodel::ChartModel studyModel = chartmodel::buildChartModel(studied.view, 10, when());
    studyModel.identification = identity(29, 5, QStringLiteral("工程能力分析"));
    ASSERT_FALSE(studyModel.study.fitted.empty());
    QString studyBook;
    {
        ExcelSession session;
        studyBook = writeResultWorkbook(session, f, when(), resultGrids(studied.view, studied.record, studyModel));
    }

    QStringList files = results;
    files << studyBook;
    for (const Made& m : made) files << m.file;
    testing_support::soffice(QStringList{QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), dir.path() + QStringLiteral("/pdf")}
                             + files);

    const QString product = QStringLiteral("シャフト ＡＢ－１２３（量産品・長い品種名称の例）");
    for (const Made& m : made) {
        SCOPED_TRACE(m.file.toStdString());
        const QString pdf = dir.path() + "/pdf/" + QFileInfo(m.file).completeBaseName() + ".pdf";
        const QStringList texts = pages(pdf);
        ASSERT_GE(texts.size(), 2);
        // Every page says what it shows and what made it: a page taken out still tells.
        for (int p = 0; p < texts.size(); ++p) {
            EXPECT_TRUE(texts[p].contains(product)) << p;
            EXPECT_TRUE(texts[p].contains(QStringLiteral("Quorvane 1.0.0"))) << p;
        }
        // The limits are drawn as steps exactly where each lot has its own.
        const QString svg = dir.path() + "/page1.svg";
        testing_support::run(QStringLiteral("pdftocairo"), {QStringLiteral("-svg"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                            QStringLiteral("1"), pdf, svg});
        QFile page(svg);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        if (!m.marker.isEmpty()) {
            EXPECT_EQ(hasSteppedLimit(QString::fromUtf8(page.readAll())), !m.model.control.lotLimits.empty());
        }
        // The chart page first, whole: its identification block and both charts on page 1 only.
        EXPECT_TRUE(texts[0].contains(QStringLiteral("品種名称"))) << texts[0].toStdString();
        EXPECT_TRUE(texts[0].contains(m.title)) << texts[0].toStdString();
        EXPECT_TRUE(texts[0].contains(QStringLiteral("作成日時")));
        for (int p = 1; p < texts.size(); ++p) {
            EXPECT_FALSE(texts[p].contains(QStringLiteral("装置名称"))) << p;
            EXPECT_FALSE(texts[p].contains(m.title)) << p;
            EXPECT_FALSE(texts[p].contains(QStringLiteral("E-"))) << p; // no helper figures like 6.19E-11
        }
        if (!m.marker.isEmpty()) {
            EXPECT_TRUE(texts[1].contains(m.marker));
        }
        // The data fitted to the page width: a page per about 40 rows, never a page per column block;
        // of the histogram only the chart page and the tables of worksheet 2.
        if (m.marker.isEmpty()) {
            EXPECT_EQ(texts.size(), 2);
        } else {
            EXPECT_LE(texts.size(), 1 + (m.lots + 1 + 39) / 40) << texts.size();
        }
    }

    // Each result table one page wide: 100 measurement columns still print on a single page column.
    for (const QString& file : results) {
        SCOPED_TRACE(file.toStdString());
        const QStringList texts = pages(dir.path() + "/pdf/" + QFileInfo(file).completeBaseName() + ".pdf");
        EXPECT_LE(texts.size(), 12);
        EXPECT_TRUE(texts[0].contains(QStringLiteral("シャフト ＡＢ－１２３（量産品・長い品種名称の例）")));
    }
    // The study worksheet prints whole on its own page, its figures in their formats and under the
    // identification: from the table's heading to the last candidate of the automatic choice.
    {
        const QStringList texts = pages(dir.path() + "/pdf/" + QFileInfo(studyBook).completeBaseName() + ".pdf");
        ASSERT_FALSE(texts.isEmpty());
        const QString study = texts.last();
        for (const QString& expected : {QStringLiteral("95%信頼区間"), QStringLiteral("σ (群内: R̄/d2)"), QStringLiteral("Cpm の目標値"),
                                        QStringLiteral("(自動選択)"), QStringLiteral("99.865%点"), QStringLiteral("候補: Box-Cox変換"), product,
                                        model::formatFixed(studyModel.study.study->nonNormal->result->p99865, 5)})
            EXPECT_TRUE(study.contains(expected)) << expected.toStdString() << "\n" << study.toStdString();
    }
    static const char* const kFormats = R"(
import json, sys, openpyxl
out = {}
for path in sys.argv[1:]:
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[1]
    mark = ws["J6"]
    out[path] = {"pane": ws.freeze_panes, "titles": ws.print_title_rows, "fit": bool(ws.sheet_properties.pageSetUpPr.fitToPage),
                 "wide": ws.page_setup.fitToWidth, "tall": ws.page_setup.fitToHeight, "mark": mark.value, "bold": bool(mark.font.b),
                 "red": mark.font.color.rgb if mark.font.color else None, "plainBold": bool(ws["J5"].font.b),
                 "productWidth": wb.worksheets[0].column_dimensions["A"].width}
print(json.dumps(out))
)";
    const QJsonObject formats = QJsonDocument::fromJson(testing_support::run(testing_support::python(), QStringList{QStringLiteral("-c"), QString::fromUtf8(kFormats)} + results)).object();
    for (const QString& file : results) {
        SCOPED_TRACE(file.toStdString());
        const QJsonObject r = formats[file].toObject();
        EXPECT_EQ(r["pane"].toString(), "A5");
        EXPECT_EQ(r["titles"].toString(), "$4:$4");
        EXPECT_TRUE(r["fit"].toBool());
        EXPECT_EQ(r["wide"].toInt(), 1);
        EXPECT_EQ(r["tall"].toInt(), 0);
        EXPECT_EQ(r["mark"].toString(), QStringLiteral("×異常あり"));
        EXPECT_TRUE(r["bold"].toBool());
        EXPECT_EQ(r["red"].toString(), "FFFF0000");
        EXPECT_FALSE(r["plainBold"].toBool());
        // The product name (A2): 24 full-width characters and a blank, not cut.
        EXPECT_GE(r["productWidth"].toDouble(), 49);
    }

    // Read back by openpyxl: lot numbers as typed, G2 as given, the identity, the class table.
    const QJsonObject dumped = QJsonDocument::fromJson(testing_support::run(testing_support::python(),
                                                                          QStringList{testing_support::toolsFolder() + "/openpyxl_dump.py"} + files))
                                   .object();
    for (int i = 0; i < made.size(); ++i) {
        const Made& m = made[i];
        SCOPED_TRACE(m.file.toStdString());
        const QJsonObject book = dumped[m.file].toObject();
        if (m.marker.isEmpty()) {
            const chartmodel::Histogram& h = m.model.histogram;
            const QJsonObject table = book[QStringLiteral("集計")].toObject();
            EXPECT_EQ(table["B19"].toArray()[1].toString(), "7.0");
            ASSERT_EQ(h.classes.size(), 7u);
            EXPECT_EQ(table["B23"].toArray()[1].toString().toDouble(), model::parseNumber(model::formatFixed(h.classes[0].lower, 4)));
            EXPECT_EQ(table["C29"].toArray()[1].toString().toDouble(), model::parseNumber(model::formatFixed(h.classes[6].upper, 4)));
            int counted = 0;
            for (int r = 23; r <= 29; ++r) counted += int(table[QStringLiteral("D%1").arg(r)].toArray()[1].toString().toDouble());
            EXPECT_EQ(counted, m.lots * (m.lots == 100 ? 100 : 6));
            const QJsonObject page = book[QStringLiteral("測定データ")].toObject();
            EXPECT_EQ(page["CY3"].toArray()[1].toString(), product);
            // The capability box as the model has it, the grid's CP and CPK once beside Pp and Ppk.
            const auto box = [&](int row) { return page[QStringLiteral("DI%1").arg(row)].toArray()[1].toString() + u'=' + page[QStringLiteral("DK%1").arg(row)].toArray()[1].toString(); };
            EXPECT_EQ(box(8), QStringLiteral("N=%1").arg(counted));
            for (int i = 0; i < 11; ++i) {
                const auto& [label, value] = h.box[size_t(i)];
                EXPECT_TRUE(box(8 + i).startsWith(label + u'=')) << box(8 + i).toStdString();
                if (const auto v = model::tryParseNumber(value)) {
                    EXPECT_DOUBLE_EQ(box(8 + i).section(u'=', 1).toDouble(), *v) << label.toStdString();
                }
            }
            EXPECT_EQ(box(11).section(u'=', 0, 0), QStringLiteral("CP・Pp (全体σ)"));
            // The class table on the chart page as on worksheet 2.
            EXPECT_EQ(page["DJ24"].toArray()[1].toString(), table["B23"].toArray()[1].toString());
            continue;
        }
        const QJsonObject data = book[QStringLiteral("統計データ")].toObject();
        EXPECT_EQ(data["G2"].toArray()[1].toString().toDouble(), *m.model.control.dispersion.line(chartmodel::LineKind::Centre)->value);
        if (!m.model.control.lotLimits.empty()) continue;
        EXPECT_EQ(data["A2"].toArray(), (QJsonArray{"s", "0012"}));
        EXPECT_EQ(data["A3"].toArray(), (QJsonArray{"s", "1E3"}));
        EXPECT_EQ(data["N3"].toArray()[0].toString(), "n"); // the marked mean, drawn red
        EXPECT_FALSE(data.contains("N2"));
        EXPECT_EQ(data["S3"].toArray()[1].toString(), QStringLiteral("品種名称"));
        EXPECT_EQ(data["T3"].toArray()[1].toString(), QStringLiteral("シャフト ＡＢ－１２３（量産品・長い品種名称の例）"));
        EXPECT_EQ(data["AK2"].toArray()[1].toString(), QStringLiteral("UCL = 10.05000"));
    }
}
