// The chart window, the control chart report and the command line's JSON show one chart: for
// sheets of equal and unequal lot sizes, with lots of one value and disabled lots, every chart
// kind and both ways of computing the limits, the points, centre lines and limits the window
// draws are the cells of the written workbook (read back by openpyxl) and the JSON's figures.
#include "MainFormFixture.h"
#include "JudgedSheet.h"
#include "TestSupport.h"

#include "charts/TChartForm.h"
#include "exchange/WorkbookExport.h"
#include "model/NumberText.h"
#include "spreadsheet/Application.h"

#include <QChart>
#include <QChartView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineSeries>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QUrl>

#include <cmath>
#include <map>
#include <optional>

namespace {

// Lots of `n` values (blank cells where `sizes` says fewer), lot `disabled` (from 1) switched off.
model::SheetRecord sheet(const QString& item, int n, const std::vector<int>& sizes, int disabled)
{
    std::vector<std::pair<QStringList, bool>> lots;
    for (int lot = 1; lot <= int(sizes.size()); ++lot) {
        QStringList cells;
        for (int m = 0; m < sizes[size_t(lot - 1)]; ++m) cells << model::formatFixed(10.0 + ((lot * 7 + m * 3) % 11 - 5) * 0.013, 3);
        lots.push_back({cells, lot != disabled});
    }
    return test_support::sheetOf(lots, n, item);
}

// What a chart of the window draws: the points by lot, and the lines by their legend names.
struct Drawn {
    std::map<int, double> points;
    std::map<QString, QList<QPointF>> lines; // "CL", "UCL", "LCL": every piece's points
    std::map<QString, QString> legend;       // "UCL" → "UCL = 10.12345"
};

Drawn drawn(QChartView* view)
{
    Drawn d;
    for (QAbstractSeries* s : view->chart()->series()) {
        if (!s->isVisible()) continue;
        if (auto* points = qobject_cast<QScatterSeries*>(s)) {
            if (points->name().isEmpty()) // the marked points repeat some of these in red
                for (const QPointF& p : points->points()) d.points[qRound(p.x())] = p.y();
        } else if (auto* line = qobject_cast<QLineSeries*>(s)) {
            const QString key = line->name().section(QStringLiteral(" = "), 0, 0);
            if (key != u"CL" && key != u"UCL" && key != u"LCL") continue;
            d.lines[key] += line->points();
            d.legend[key] = line->name();
        }
    }
    return d;
}

// The height of a line at lot i: a straight line's anywhere, a step's across the lot's width.
std::optional<double> lineAt(const QList<QPointF>& points, int i)
{
    if (points.size() == 2 && points[0].y() == points[1].y() && points[0].x() < i && points[1].x() > i) return points[0].y();
    for (qsizetype k = 0; k + 1 < points.size(); ++k)
        if (std::abs(points[k].x() - (i - 0.5)) < 1e-9 && std::abs(points[k + 1].x() - (i + 0.5)) < 1e-9 && points[k].y() == points[k + 1].y())
            return points[k].y();
    return std::nullopt;
}

std::optional<double> pointAt(const Drawn& d, int i)
{
    const auto it = d.points.find(i);
    return it == d.points.end() ? std::nullopt : std::optional<double>(it->second);
}

std::optional<double> jsonNumber(const QJsonValue& v) { return v.isDouble() ? std::optional<double>(v.toDouble()) : std::nullopt; }

// A cell as openpyxl read it: a number, or nothing for an empty cell.
std::optional<double> cellNumber(const QJsonObject& cells, const QString& ref)
{
    const QJsonArray c = cells.value(ref).toArray();
    if (c.isEmpty()) return std::nullopt;
    return c.at(1).toString().toDouble();
}

void expectSame(std::optional<double> a, std::optional<double> b, double tolerance, const std::string& what)
{
    ASSERT_EQ(a.has_value(), b.has_value()) << what;
    if (a) {
        EXPECT_NEAR(*a, *b, tolerance) << what;
    }
}

} // namespace

class ChartAgreementTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->reportFolders = {QStringLiteral(QUORVANE_FORM_FILES), saveDir.path()};
        model::SheetStore store;
        store.resize(3, false, model::AppSettings::defaults(), 0, 0);
        // Lots of 5 with lots of 4, 3 and 1 among them and lot 5 disabled; lots of 1 for X-Rs,
        // lot 3 disabled; lots of equal size.
        store[0] = sheet(QStringLiteral("不等"), 5, {5, 4, 3, 1, 5, 5, 5, 2, 5, 5, 5, 5}, 5);
        store[1] = sheet(QStringLiteral("個々"), 1, std::vector<int>(12, 1), 3);
        store[2] = sheet(QStringLiteral("等"), 4, std::vector<int>(12, 4), 0);
        spreadsheet::Application application;
        exchange::WriteWorkbookSheets(application, store).workbook.saveAs(book());
        // Into the window: leaving a sheet saves the view into its record, so the record of the
        // sheet shown is replaced once it is left.
        for (int i = 0; i < 3; ++i) form->sheetStore()[i] = store[i];
        clickTab(1);
        form->sheetStore()[0] = store[0];
    }
    QString book() const { return cliDir.filePath(QStringLiteral("book.xlsx")); }

    QJsonObject json(int sheet, const QString& chart, const QString& limits)
    {
        QProcess cli;
        cli.start(QStringLiteral(QUORVANE_CLI), {"judge", book(), "--sheet", QString::number(sheet), "--chart", chart, "--limits", limits,
                                                 "--format", "json"});
        EXPECT_TRUE(cli.waitForFinished(60000));
        return QJsonDocument::fromJson(cli.readAllStandardOutput()).object()["sheets"].toArray().at(0).toObject()["control_chart"].toObject();
    }

    QTemporaryDir saveDir, cliDir;
};

TEST_F(ChartAgreementTest, TheWindowTheReportAndTheJsonCarryTheSamePointsCentreLinesAndLimits)
{
    struct Case {
        int sheet;
        const char* chartItem;
        const char* chart;
    };
    int compared = 0;
    for (const Case& c : {Case{0, "XbarR管理図", "xbarr"}, Case{0, "XbarS管理図", "xbars"}, Case{1, "X-Rs管理図", "xrs"}, Case{2, "XbarR管理図", "xbarr"}}) {
        for (const auto& [limitItem, limits] : {std::pair{"３シグマ法", "3sigma"}, std::pair{"管理図係数法", "standard"}}) {
            SCOPED_TRACE(std::string(c.chart) + " " + limits + " sheet " + std::to_string(c.sheet + 1));
            clickTab(c.sheet);
            choose(form->cmbChart, QString::fromUtf8(c.chartItem));
            choose(form->cmbLimit, QString::fromUtf8(limitItem));
            const bool standard = QString::fromUtf8(limits) == u"standard";

            // The window.
            form->menuExecChartView->trigger();
            QApplication::processEvents();
            ASSERT_EQ(form->chartForm()->stackControl->currentIndex(), 0) << form->chartForm()->lblControlMessage->text().toStdString();
            const Drawn x = drawn(form->chartForm()->viewXChart), d = drawn(form->chartForm()->viewDispersionChart);

            // The report.
            ui.openedDocuments.clear();
            QTest::mouseClick(form->btnControlChart, Qt::LeftButton);
            QApplication::processEvents();
            ASSERT_EQ(ui.openedDocuments.size(), 1);
            const QString path = ui.openedDocuments.first().toLocalFile();
            const QJsonObject cells = QJsonDocument::fromJson(testing_support::run(testing_support::python(),
                                                                                   {testing_support::toolsFolder() + "/openpyxl_dump.py", path}))
                                          .object()[path]
                                          .toObject()[QStringLiteral("統計データ")]
                                          .toObject();

            // The command line.
            const QJsonObject j = json(c.sheet + 1, QString::fromUtf8(c.chart), QString::fromUtf8(limits));
            const QJsonArray lots = j["lots"].toArray();
            ASSERT_EQ(lots.size(), form->gridCalc->rowCount() - 2);
            const QJsonObject jx = j["x"].toObject(), jd = j["dispersion"].toObject();

            for (int i = 0; i < lots.size(); ++i) {
                const std::string lot = lots[i].toString().toStdString();
                const QString row = QString::number(i + 2);
                EXPECT_EQ(cells.value(u'A' + row).toArray().at(1).toString(), lots[i].toString());
                // Points: the window's, the report's B and F, the JSON's; a lot without one has none anywhere.
                const std::optional<double> wx = pointAt(x, i), wd = pointAt(d, i);
                expectSame(wx, cellNumber(cells, u'B' + row), 0, lot + " X point, report");
                expectSame(wx, jsonNumber(jx["points"].toArray()[i]), 0, lot + " X point, JSON");
                expectSame(wd, cellNumber(cells, u'F' + row), 0, lot + " dispersion point, report");
                expectSame(wd, jsonNumber(jd["points"].toArray()[i]), 0, lot + " dispersion point, JSON");
                // Each lot's own limits (I to M, five decimals), where the lines are steps.
                if (!standard) continue;
                const std::pair<const Drawn*, const char*> perLot[] = {{&x, "UCL"}, {&x, "LCL"}, {&d, "CL"}, {&d, "UCL"}, {&d, "LCL"}};
                const QJsonObject* sides[] = {&jx, &jx, &jd, &jd, &jd};
                for (int k = 0; k < 5; ++k) {
                    const auto& [chart, name] = perLot[k];
                    const std::string what = lot + " " + name + (k < 2 ? " X" : " dispersion");
                    const auto lines = chart->lines.find(QString::fromLatin1(name));
                    const std::optional<double> window = lines == chart->lines.end() ? std::nullopt : lineAt(lines->second, i);
                    const QJsonValue step = (*sides[k])[QString::fromLatin1(name).toLower() + QStringLiteral("_per_lot")];
                    const std::optional<double> fromJson = step.isArray() ? jsonNumber(step.toArray()[i]) : std::nullopt;
                    expectSame(window, fromJson, 0, what + ", JSON");
                    expectSame(window, cellNumber(cells, QChar(u'I' + k) + row), 0.5e-5, what + ", report");
                }
                ++compared;
            }
            // Centre lines and nominal limits: row 2 of C to H, the legends, the JSON.
            const std::pair<const char*, const char*> nominal[] = {{"C2", "CL"}, {"D2", "UCL"}, {"E2", "LCL"}, {"G2", "CL"}, {"H2", "UCL"}};
            for (int k = 0; k < 5; ++k) {
                const auto& [ref, name] = nominal[k];
                const Drawn& w = k < 3 ? x : d;
                const QJsonObject& side = k < 3 ? jx : jd;
                const std::optional<double> report = cellNumber(cells, QString::fromLatin1(ref));
                ASSERT_TRUE(report) << ref;
                expectSame(report, jsonNumber(side[QString::fromLatin1(name).toLower()]), 0, std::string(ref) + " JSON");
                const auto legend = w.legend.find(QString::fromLatin1(name));
                ASSERT_NE(legend, w.legend.end()) << ref;
                EXPECT_EQ(legend->second.section(QStringLiteral(" = "), 1), model::formatFixed(*report, 5)) << ref;
                // A straight line lies at that value.
                const QList<QPointF>& points = w.lines.at(QString::fromLatin1(name));
                if (points.size() == 2) {
                    EXPECT_EQ(points[0].y(), *report) << ref;
                }
            }
        }
    }
    EXPECT_GT(compared, 40);
}
