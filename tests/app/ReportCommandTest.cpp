// The command line's reports are the window's: the same sheet reported by a click on each
// report button and by quorvane-cli report, both workbooks read back by openpyxl and compared
// cell by cell (all but the time the report was made).
#include "MainFormFixture.h"
#include "TestSupport.h"

#include "exchange/WorkbookExport.h"
#include "reports/ReportFiles.h"
#include "chartmodel/ChartModel.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"
#include "spreadsheet/Application.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// Eighteen lots of four, lot 7 disabled and lot 12 left empty; lot 15 far off.
model::SheetRecord measured(const QString& item)
{
    model::SheetRecord r;
    r.product = QStringLiteral("P-7");
    r.process = QStringLiteral("研削");
    r.item = item;
    r.unit = QStringLiteral("mm");
    r.specKind = QStringLiteral("公差規格");
    r.digits = QStringLiteral("3");
    r.specUpper = QStringLiteral("10.400");
    r.specLower = QStringLiteral("9.600");
    r.lotCount = 18;
    r.measurementCount = 4;
    for (int lot = 1; lot <= 18; ++lot) {
        QString line = QStringLiteral("L-%1").arg(lot);
        for (int m = 0; m < 4; ++m)
            line += lot == 12 ? QStringLiteral(",") : QStringLiteral(",%1").arg(10.0 + ((lot * 7 + m * 3) % 11 - 5) * 0.013 + (lot == 15 ? 0.2 : 0.0), 0, 'f', 3);
        r.dataLines << line;
        r.enableFlags << (lot == 7 ? "0" : "1");
    }
    return r;
}

// The cells of every worksheet as openpyxl reads them, the time the report was made left out.
QJsonObject cellsOf(const QString& path)
{
    const QByteArray dump = testing_support::run(testing_support::python(), {testing_support::toolsFolder() + "/openpyxl_dump.py", path});
    QJsonObject sheets = QJsonDocument::fromJson(dump).object().value(path).toObject();
    static const QRegularExpression made(QStringLiteral("^\\d{4}[-/]\\d{2}[-/]\\d{2}[ T]\\d{2}:\\d{2}"));
    for (const QString& name : sheets.keys()) {
        QJsonObject cells = sheets[name].toObject();
        for (const QString& cell : cells.keys())
            if (made.match(cells[cell].toArray().at(1).toString()).hasMatch()) cells.remove(cell);
        sheets[name] = cells;
    }
    return sheets;
}

// "Sheet!A1: [n 10.5] / [s 10.5]" for each cell the two hold differently.
QString differences(const QJsonObject& a, const QJsonObject& b)
{
    QString out;
    auto show = [](const QJsonValue& v) {
        const QJsonArray c = v.toArray();
        return c.isEmpty() ? QStringLiteral("-") : c.at(0).toString() + u' ' + c.at(1).toString();
    };
    QStringList sheets = a.keys() + b.keys();
    sheets.removeDuplicates();
    for (const QString& sheet : sheets) {
        const QJsonObject x = a[sheet].toObject(), y = b[sheet].toObject();
        QStringList cells = x.keys() + y.keys();
        cells.removeDuplicates();
        for (const QString& cell : cells)
            if (x[cell] != y[cell]) out += QStringLiteral("%1!%2: [%3] / [%4]\n").arg(sheet, cell, show(x[cell]), show(y[cell]));
    }
    return out;
}

} // namespace

class ReportCommandTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->reportFolders = {QStringLiteral(QUORVANE_FORM_FILES), saveDir.path()};
        // The workbook the command reads holds the sheet the window shows as its second.
        model::SheetStore store;
        store.resize(2, false, model::AppSettings::defaults(), 0, 0);
        store[0] = measured(QStringLiteral("内径"));
        store[1] = measured(QStringLiteral("外径"));
        spreadsheet::Application application;
        exchange::WriteWorkbookSheets(application, store).workbook.saveAs(book());
        form->sheetStore()[1] = store[1];
        clickTab(1);
        choose(form->cmbChart, QStringLiteral("XbarS管理図"));
    }
    QString book() const { return cliDir.filePath(QStringLiteral("book.xlsx")); }

    // The report the click made, and the one the command made for sheet 2 with these options.
    std::pair<QString, QString> report(QPushButton* button, const QStringList& options)
    {
        ui.openedDocuments.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(ui.messages.isEmpty());
        EXPECT_EQ(ui.openedDocuments.size(), 1);
        const QString window = ui.openedDocuments.isEmpty() ? QString() : ui.openedDocuments.first().toLocalFile();

        QProcess cli;
        cli.start(QStringLiteral(QUORVANE_CLI),
                  QStringList{"report", book(), "--sheet", "2", "--chart", "xbars", "--out", cliDir.path()} + options);
        EXPECT_TRUE(cli.waitForFinished(120000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return {window, QString::fromUtf8(cli.readAllStandardOutput()).trimmed()};
    }

    QTemporaryDir saveDir, cliDir;
};

TEST_F(ReportCommandTest, EachReportOfTheCommandHoldsTheCellsOfTheWindowsReport)
{
    form->spinBetWeen->setValue(7);
    struct Kind {
        QPushButton* button;
        const char* kind;
        const char* name;
    };
    for (const Kind& k : {Kind{form->btnControlChart, "control", "XbarS"}, Kind{form->btnHistogram, "histogram", "Histogram"},
                          Kind{form->btnExcel, "result", "判定結果"}}) {
        SCOPED_TRACE(k.kind);
        const auto [window, cli] = report(k.button, {"--kind", k.kind, "--classes", "7"});
        const QString name = QString::fromUtf8(k.name) + QStringLiteral(".xlsx");
        EXPECT_TRUE(QRegularExpression(QStringLiteral("/\\d{8}_\\d{6}_") + name + u'$').match(window).hasMatch()) << window.toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("/\\d{8}_\\d{6}_02_") + name + u'$').match(cli).hasMatch()) << cli.toStdString();
        const QJsonObject windowCells = cellsOf(window), cliCells = cellsOf(cli);
        EXPECT_FALSE(windowCells.isEmpty());
        EXPECT_EQ(differences(windowCells, cliCells), QString());
    }
}

TEST_F(ReportCommandTest, TheWindowsHistogramCountsTheClassesOfTheReport)
{
    form->spinBetWeen->setValue(7);
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    ASSERT_TRUE(ui.messages.isEmpty());
    const chartmodel::Histogram shown = form->chartModel(QDateTime::currentDateTime()).histogram;

    // The report's table, from the sheet as the window saved it, judged without a window.
    model::SheetRecord record = form->sheetStore()[1];
    sheetview::SheetView view = sheetview::enterSheet(record, form->appSettings()).view;
    sheetview::ChainReport chain;
    sheetview::judgeSpc(view, {&form->ruleOptions(), &record}, chain);
    const std::vector<judge::HistogramClass> table = chartmodel::buildChartModel(view, 7, QDateTime::currentDateTime()).histogram.classes;

    ASSERT_EQ(shown.classes.size(), 7u);
    ASSERT_EQ(table.size(), shown.classes.size());
    int total = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].lower, shown.classes[i].lower) << i;
        EXPECT_EQ(table[i].upper, shown.classes[i].upper) << i;
        EXPECT_EQ(table[i].count, shown.classes[i].count) << i;
        total += table[i].count;
    }
    EXPECT_EQ(total, 16 * 4); // eighteen lots, one disabled and one empty
    // Half a unit below the smallest value, a whole number of units wide.
    const double width = (table[0].upper - table[0].lower) * 1000;
    EXPECT_NEAR(width, std::round(width), 1e-6);
}
