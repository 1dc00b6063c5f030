// The report buttons and menu items through the real window: the judgement chain first, the
// busy window, the filled copy under its time stamp, and the hand-over to the desktop.
#include "MainFormFixture.h"

#include "chartmodel/StudyTable.h"
#include "reports/ControlChartReport.h"
#include "model/NumberText.h"
#include "spreadsheet/CellRef.h"
#include "TestSupport.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/SheetData.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// First and last row of every chart range on the control chart's data sheet.
QList<std::pair<int, int>> chartRows(const spreadsheet::Book& book)
{
    QList<std::pair<int, int>> rows;
    static const QRegularExpression re(QStringLiteral("<c:f>'統計データ'!\\$[A-Z]+\\$(\\d+):\\$[A-Z]+\\$(\\d+)</c:f>"));
    for (const QString& name : book.partNames())
        if (name.startsWith(QStringLiteral("xl/charts/chart")))
            for (auto it = re.globalMatch(QString::fromUtf8(book.part(name))); it.hasNext();) {
                const auto m = it.next();
                rows.append({m.captured(1).toInt(), m.captured(2).toInt()});
            }
    return rows;
}

} // namespace

class ReportsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        startSmallSheet();
        form->reportFolders = {QStringLiteral(QUORVANE_FORM_FILES), saveDir.path()};
    }
    void threeLots()
    {
        values(1, {"9.800", "10.000", "10.200"});
        values(2, {"10.100"});
        values(3, {"10.000", "10.400", "10.300"});
    }
    QStringList saved() const { return QDir(saveDir.path()).entryList(QDir::Files, QDir::Name); }
    // The one report made, opened by the desktop.
    std::unique_ptr<spreadsheet::Book> report(const QString& kind)
    {
        const QStringList files = saved();
        EXPECT_EQ(files.size(), 1) << files.join(' ').toStdString();
        if (files.isEmpty()) return nullptr;
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}_") + QRegularExpression::escape(kind) + QStringLiteral("\\.xlsx$"))
                        .match(files.first())
                        .hasMatch())
            << files.first().toStdString();
        const QString path = saveDir.path() + u'/' + files.first();
        EXPECT_EQ(ui.openedDocuments, QList<QUrl>{QUrl::fromLocalFile(path)});
        return spreadsheet::Book::open(path);
    }
    QTemporaryDir saveDir;
};

TEST_F(ReportsTest, AControlChartOfThreeLotsRunsTheChainAndFillsRowsTwoToFour)
{
    threeLots();
    click(form->btnControlChart);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->gridCalc->rowCount(), 5); // the chain ran: three lot rows and the total
    EXPECT_FALSE(form->pnlSpcJudg->text().isEmpty());
    EXPECT_EQ(splash->lblTitle->text(), QStringLiteral("Excelに統計データを展開しています。"));
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    const auto book = report(QStringLiteral("XbarR"));
    ASSERT_TRUE(book);
    for (int r = 2; r <= 4; ++r) {
        EXPECT_EQ(book->text(0, r, 1), form->gridCalc->cell(0, r - 1));
        EXPECT_EQ(model::tryParseNumber(book->text(0, r, 2)), model::tryParseNumber(form->gridCalc->cell(4, r - 1)));
        // The lot of one value (row 3) has no range to draw.
        if (r == 3) {
            EXPECT_EQ(book->text(0, r, 6), "");
        } else {
            EXPECT_EQ(model::tryParseNumber(book->text(0, r, 6)), model::tryParseNumber(form->gridCalc->cell(5, r - 1)));
        }
    }
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 3)), model::tryParseNumber(form->gridCalc->cell(4, 4)));
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 4)), model::tryParseNumber(form->editUcl->text()));
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 5)), model::tryParseNumber(form->editLcl->text()));
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 7)), model::tryParseNumber(form->gridCalc->cell(5, 4)));
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 8)), model::tryParseNumber(form->editRsUcl->text()));
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(book->text(0, 5, c), "") << c;
    // Every series of both charts ends with the last lot: categories and values of 8 + 6 series.
    const auto rows = chartRows(*book);
    EXPECT_EQ(rows.size(), 28);
    for (const auto& r : rows) EXPECT_EQ(r, (std::pair{2, 1 + 3 * reports::slotsPerLot(3)}));
}

TEST_F(ReportsTest, AHundredLotsKeepRowsTwoToAHundredAndOneFromTheMenu)
{
    form->spinRow->setValue(100);
    for (int r = 1; r <= 100; ++r)
        form->gridEdit->setCell(0, r, model::formatFixed(9.9 + (r % 9) * 0.02, 3));
    form->menuExecChart->trigger();
    QApplication::processEvents();
    const auto book = report(QStringLiteral("XbarR"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->text(0, 101, 1), form->gridCalc->cell(0, 100));
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(book->text(0, 102, c), "") << c;
    for (const auto& r : chartRows(*book)) EXPECT_EQ(r, (std::pair{2, 1 + 100 * reports::slotsPerLot(100)}));
}

TEST_F(ReportsTest, XbarSWritesTheLotStandardDeviationsAndTheirMean)
{
    choose(form->cmbChart, QStringLiteral("XbarS管理図"));
    threeLots();
    click(form->btnControlChart);
    const auto book = report(QStringLiteral("XbarS"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->text(0, 2, 6), "0.2");
    EXPECT_EQ(book->text(0, 3, 6), ""); // the lot of one value has no standard deviation
    EXPECT_EQ(model::tryParseNumber(book->text(0, 4, 6)), model::tryParseNumber(form->gridCalc->cell(6, 3)));
    // The centre line S̄ the S-side rules judge around, the lot of one value counting as 0:
    // (0.2 + 0 + 0.20817) / 3, not the spread of all values.
    EXPECT_NEAR(book->text(0, 2, 7).toDouble(), (0.2 + 0.20817) / 3, 1e-9);
}

TEST_F(ReportsTest, XRsHasNoMovingRangeBeforeTheSecondLot)
{
    choose(form->cmbChart, QStringLiteral("X-Rs管理図"));
    ASSERT_EQ(form->spinCol->text(), "1");
    values(1, {"10.000"});
    values(2, {"10.300"});
    values(3, {"10.100"});
    click(form->btnControlChart);
    const auto book = report(QStringLiteral("X-Rs"));
    ASSERT_TRUE(book);
    // The grid's leading 0 counts in its mean range (G2) but is no point of the chart.
    EXPECT_EQ(book->text(0, 2, 6), "");
    EXPECT_EQ(book->text(0, 3, 6), "0.3");
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 7)), model::tryParseNumber(form->gridCalc->cell(5, 4)));
}

TEST_F(ReportsTest, TheHistogramPacksTheEnabledLotsWithTheSheetsDigits)
{
    threeLots();
    form->gridCtrl->setFocus();
    QApplication::processEvents();
    const QRect lot2 = form->gridCtrl->visualRect(form->gridCtrl->model()->index(1, 0));
    QTest::mouseClick(form->gridCtrl->viewport(), Qt::LeftButton, {}, lot2.center());
    ASSERT_FALSE(form->gridCtrl->flag(1, 2));
    form->spinKeta->setValue(0);
    form->spinBetWeen->setValue(7);
    click(form->btnHistogram);
    EXPECT_TRUE(ui.messages.isEmpty());
    const auto book = report(QStringLiteral("Histogram"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->text(0, 1, 1), "9.8");
    EXPECT_EQ(book->text(0, 2, 2), "10.4"); // lot 3 moved up
    EXPECT_EQ(book->text(0, 2, 3), "10.3");
    for (int r = 3; r <= 10; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(book->text(0, r, c), "") << r << ' ' << c;
    EXPECT_EQ(book->numberFormat(0, 1, 1), QStringLiteral("0_ "));
    EXPECT_EQ(book->numberFormat(0, 10, 3), QStringLiteral("0_ "));
    EXPECT_EQ(book->text(1, 19, 2), "7");

    // The figures beside the chart are those of the six values of the enabled lots.
    const std::vector<double> used{9.8, 10.0, 10.2, 10.0, 10.4, 10.3};
    double mean = 0, squares = 0;
    for (double v : used) mean += v / 6;
    for (double v : used) squares += (v - mean) * (v - mean);
    const auto beside = [&](const QString& label) {
        for (int r = 1; r <= 40; ++r)
            for (int c = 100; c <= 120; ++c)
                if (book->text(0, r, c) == label) return book->text(0, r, c + 2);
        return QStringLiteral("(no %1)").arg(label);
    };
    EXPECT_EQ(beside("N"), "6");
    EXPECT_EQ(beside("平均"), QString::number(mean, 'f', 5));
    EXPECT_EQ(beside("σ (全体)"), QString::number(std::sqrt(squares / 5), 'f', 5));

    form->menuExecHist->trigger(); // the menu item makes a second one
    QApplication::processEvents();
    EXPECT_EQ(saved().size(), 2);
}

TEST_F(ReportsTest, TwoReportsInOneSecondGiveTwoFiles)
{
    threeLots();
    // Whatever second the report runs in, a file of its time stamp exists already.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList earlier;
    for (int s = 0; s < 10; ++s) {
        earlier << saveDir.path() + u'/' + now.addSecs(s).toString(QStringLiteral("yyyyMMdd_HHmmss_")) + QStringLiteral("XbarR.xlsx");
        QFile f(earlier.last());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the operator's earlier report");
    }
    click(form->btnControlChart);
    ASSERT_EQ(ui.openedDocuments.size(), 1);
    const QString made = ui.openedDocuments.first().toLocalFile();
    EXPECT_TRUE(made.endsWith(QStringLiteral("_XbarR_2.xlsx"))) << made.toStdString();
    EXPECT_EQ(spreadsheet::Book::open(made)->text(0, 2, 1), "K001");
    for (const QString& e : earlier) {
        QFile f(e);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "the operator's earlier report");
    }
}

TEST_F(ReportsTest, WithoutACapabilityResultNothingHappens)
{
    threeLots();
    choose(form->cmbLimit, QStringLiteral("指定管理値")); // specified limits, the R limit left blank
    form->editUcl->setText("10.600");
    form->editLcl->setText("9.400");
    form->editRsUcl->clear();
    click(form->btnControlChart);
    click(form->btnHistogram);
    EXPECT_TRUE(form->pnlCpkJudg->text().isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.openedDocuments.isEmpty());
    EXPECT_TRUE(saved().isEmpty());
}

TEST_F(ReportsTest, ADesktopWithoutAProgramForWorkbooksSaysWhereTheReportIs)
{
    threeLots();
    ui.desktopOpens = false;
    click(form->btnHistogram);
    ASSERT_EQ(saved().size(), 1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("ガイドメッセージ"));
    EXPECT_TRUE(ui.messages[0].text.contains(QDir::toNativeSeparators(saveDir.path() + u'/' + saved().first())))
        << ui.messages[0].text.toStdString();
    EXPECT_FALSE(splash->isVisible()); // the message comes after the busy window closed
}

TEST_F(ReportsTest, AMissingTemplateIsReportedInTheErrorBox)
{
    threeLots();
    QTemporaryDir empty;
    form->reportFolders.formFiles = empty.path();
    bool busyWhenShown = true;
    ui.onMessage = [&](const ui::Message&) { busyWhenShown = splash->isVisible(); };
    click(form->btnControlChart);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("エラーメッセージ"));
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("XbarR.xlsx"))) << ui.messages[0].text.toStdString();
    EXPECT_FALSE(busyWhenShown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(ui.openedDocuments.isEmpty());
    EXPECT_TRUE(saved().isEmpty());
}

TEST_F(ReportsTest, AValueStillBeingTypedGoesIntoTheHistogram)
{
    threeLots();
    form->gridEdit->setFocus();
    QApplication::processEvents();
    form->gridEdit->setCurrentCell(1, 2);
    typeKeys("10.25");
    ASSERT_TRUE(form->gridEdit->isEditing());
    click(form->btnHistogram);
    const auto book = report(QStringLiteral("Histogram"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->text(0, 2, 2), "10.25");
    EXPECT_EQ(book->text(0, 2, 1), "10.1");
}

TEST_F(ReportsTest, TheResultWorkbookHoldsTheThreePagesAfterTheChain)
{
    form->spinRow->setValue(20);
    for (int r = 1; r <= 20; ++r) values(r, {"10.000", "10.100", r % 2 ? "9.950" : "10.050"});
    form->gridCtrl->setFlag(1, 5, false);
    click(form->btnExcel);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(splash->lblTitle->text(), QStringLiteral("Excelブックに出力中です。"));
    EXPECT_FALSE(splash->isVisible());
    const auto book = report(QStringLiteral("判定結果"));
    ASSERT_TRUE(book);
    ASSERT_EQ(book->worksheetCount(), 3);
    EXPECT_EQ(book->worksheetName(0), QStringLiteral("測定値入力＆規格判定"));
    EXPECT_EQ(book->worksheetName(1), QStringLiteral("CP-CPK不良率判定"));
    EXPECT_EQ(book->worksheetName(2), QStringLiteral("SPC異常判定(X側-R側)"));
    EXPECT_EQ(book->text(0, 2, 4), form->editLabel->text());
    // Nineteen lots from row 5, lot 5 left out; the other pages as the grids show them.
    EXPECT_EQ(book->text(0, 8, 1), "K004");
    EXPECT_EQ(book->text(0, 9, 1), "K006");
    EXPECT_EQ(book->text(0, 23, 1), "K020");
    EXPECT_EQ(book->text(0, 24, 1), "");
    ASSERT_EQ(form->gridCalc->rowCount(), 21);
    EXPECT_EQ(book->text(1, 4 + 20, 1), QStringLiteral("＊トータル"));
    EXPECT_EQ(book->text(1, 4 + 20, 2), "57");
    EXPECT_EQ(book->text(2, 4 + 19, 1), form->gridSpc->cell(0, 19));
    EXPECT_EQ(book->text(2, 4 + 19, 18), form->gridSpc->cell(17, 19));
}

TEST_F(ReportsTest, TheResultWorkbookUnderXRsNamesItsThirdPageAndNeedsTheItem)
{
    choose(form->cmbChart, QStringLiteral("X-Rs管理図"));
    values(1, {"10.000"});
    values(2, {"10.200"});
    values(3, {"10.100"});
    const QString item = form->editLabel->text();
    form->editLabel->clear();
    click(form->btnExcel);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("必須項目が入力されていません。"));
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("ガイドメッセージ"));
    EXPECT_TRUE(saved().isEmpty());
    EXPECT_TRUE(ui.openedDocuments.isEmpty());

    ui.messages.clear();
    form->editLabel->setText(item.isEmpty() ? QStringLiteral("外径") : item);
    click(form->btnExcel);
    EXPECT_TRUE(ui.messages.isEmpty());
    const auto book = report(QStringLiteral("判定結果"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->worksheetName(2), QStringLiteral("SPC異常判定(X側-Rs側)"));
}

TEST_F(ReportsTest, ASaveFolderThatCannotTakeTheCopyIsNamedWithTheReason)
{
    threeLots();
    QFile blocker(saveDir.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    // "Save Files" cannot be made: a file stands in its path.
    form->reportFolders.saveFiles = blocker.fileName() + QStringLiteral("/Save Files");
    click(form->btnControlChart);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("エラーメッセージ"));
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("帳票の保存先フォルダを作成できませんでした。\n%1：フォルダが見つかりません")
                                       .arg(QDir::toNativeSeparators(form->reportFolders.saveFiles)));

    // "Save Files" takes no new files (sysfs refuses them to root as well).
    QFile probe(QStringLiteral("/sys/quorvane-probe.xlsx"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        GTEST_SKIP() << "no folder here refuses new files to this user";
    }
    ui.messages.clear();
    form->reportFolders.saveFiles = QStringLiteral("/sys");
    click(form->btnHistogram);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("エラーメッセージ"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^帳票ファイルを作成できませんでした。\n/sys/\\d{8}_\\d{6}_Histogram\\.xlsx：保存先フォルダに書き込めません$"))
                    .match(ui.messages[0].text)
                    .hasMatch())
        << ui.messages[0].text.toStdString();
    EXPECT_TRUE(ui.openedDocuments.isEmpty());
    EXPECT_FALSE(splash->isVisible());
}

TEST_F(ReportsTest, AReportTheDiskCannotHoldLeavesNoCopyBehindAndSaysSo)
{
    if (!testing_support::ownMountNamespace()) GTEST_SKIP() << "a disk that holds the copy but not the filled report needs a tmpfs "
                                                               "in a mount namespace of the test's own (the administrator's)";
    threeLots();
    // Room for the template's copy and an earlier report of the operator's, not for the save.
    const qint64 copyPages = (QFileInfo(QStringLiteral(QUORVANE_FORM_FILES "/XbarR.xlsx")).size() + 4095) / 4096;
    const QString full = saveDir.path() + QStringLiteral("/full");
    const QString earlier = full + QStringLiteral("/20240131_174502_XbarR.xlsx");
    QStringList left;
    ASSERT_TRUE(testing_support::withFullDisk(full, (copyPages + 2) * 4096, [&] {
        QFile mine(earlier);
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("an earlier report");
        mine.close();
        form->reportFolders.saveFiles = full;
        click(form->btnControlChart);
        left = QDir(full).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("エラーメッセージ"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ブックを保存できませんでした。作成途中の帳票ファイル「\\d{8}_\\d{6}_XbarR\\.xlsx」は削除しました。\n")
                                   + QRegularExpression::escape(QDir::toNativeSeparators(full)) + QStringLiteral("/\\d{8}_\\d{6}_XbarR\\.xlsx：空き容量が足りません$"))
                    .match(ui.messages[0].text)
                    .hasMatch())
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(left, QStringList{QStringLiteral("20240131_174502_XbarR.xlsx")}); // the operator's file alone
    EXPECT_TRUE(ui.openedDocuments.isEmpty());
    EXPECT_FALSE(splash->isVisible());
}

TEST_F(ReportsTest, UnderTheChartConstantsTheResultWorkbookGainsTheCapabilityStudyWithItsFittedDistribution)
{
    form->spinRow->setValue(10);
    for (int r = 1; r <= 10; ++r) values(r, {"10.000", "10.100", r % 2 ? "9.950" : "10.050"});
    choose(form->cmbLimit, QStringLiteral("管理図係数法"));
    form->appSettings().DistributionIndex = int(judge::Distribution::Lognormal);
    click(form->btnExcel);
    EXPECT_TRUE(ui.messages.isEmpty());
    const auto book = report(QStringLiteral("判定結果"));
    ASSERT_TRUE(book);
    ASSERT_EQ(book->worksheetCount(), 4);
    EXPECT_EQ(book->worksheetName(3), QStringLiteral("工程能力分析"));
    EXPECT_EQ(book->text(3, 1, 3), QStringLiteral("95%信頼区間"));
    // The overall figures are the statistics grid's CP and CPK (Pp on row 10, Ppk on row 13).
    EXPECT_EQ(book->text(3, 10, 1), QStringLiteral("Pp (全体)"));
    EXPECT_EQ(book->text(3, 10, 2).toDouble(), form->gridCalc->cell(7, 11).toDouble());
    EXPECT_EQ(book->text(3, 13, 2).toDouble(), form->gridCalc->cell(8, 11).toDouble());
    EXPECT_EQ(book->text(3, 2, 2), "30"); // N
    // The estimator and the target.
    EXPECT_EQ(book->text(3, 4, 1), QStringLiteral("σ (群内: R̄/d2)"));
    EXPECT_EQ(book->text(3, 21, 1), QStringLiteral("Cpm の目標値"));
    EXPECT_EQ(book->text(3, 21, 2).toDouble(), 10.0);

    // Read by openpyxl, the worksheet holds the window's study page line for line: texts as
    // texts, figures as the numbers shown in the number formats of their decimals.
    const QString path = saveDir.path() + u'/' + saved().first();
    static const char* const kCells = R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])["工程能力分析"]
print(json.dumps({c.coordinate: [c.data_type, str(c.value), c.number_format] for row in ws.iter_rows() for c in row if c.value is not None}, ensure_ascii=False))
)";
    const QJsonObject cells =
        QJsonDocument::fromJson(testing_support::run(testing_support::python(), {QStringLiteral("-c"), QString::fromUtf8(kCells), path})).object();
    const chartmodel::StudyPage study = form->chartModel(QDateTime::currentDateTime()).study;
    ASSERT_FALSE(study.fitted.empty());
    const std::vector<chartmodel::StudyLine> lines = chartmodel::studySheetLines(study);
    const std::vector<QStringList> rows = chartmodel::studyRows(lines);
    int filled = 0, fittedFigures = 0;
    for (size_t r = 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            const QString& shown = rows[r][c];
            const QString ref = spreadsheet::formatA1({int(r) + 1, int(c) + 1});
            const QJsonArray cell = cells.value(ref).toArray();
            if (shown.isEmpty()) {
                EXPECT_TRUE(cell.isEmpty()) << ref.toStdString();
                continue;
            }
            ++filled;
            ASSERT_EQ(cell.size(), 3) << ref.toStdString() << " " << shown.toStdString();
            if (cell[0].toString() != QStringLiteral("n")) {
                EXPECT_EQ(cell[1].toString(), shown) << ref.toStdString();
                continue;
            }
            EXPECT_EQ(cell[1].toString().toDouble(), shown.toDouble()) << ref.toStdString();
            ASSERT_EQ(c, 1) << ref.toStdString();
            ASSERT_GE(lines[r].decimals, 0) << ref.toStdString();
            const int d = lines[r].decimals;
            EXPECT_EQ(cell[2].toString(), (d == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(d, u'0')) + QStringLiteral("_ "))
                << ref.toStdString();
            fittedFigures += r > study.table.size();
        }
    EXPECT_EQ(cells.size(), filled);
    // The fitted lognormal's parameters, percentiles, indices, expected ppm and test as figures.
    EXPECT_GE(fittedFigures, 11);
    const auto rowOf = [&](const QString& label) {
        for (size_t r = 0; r < lines.size(); ++r)
            if (lines[r].label == label) return int(r) + 1;
        return 0;
    };
    EXPECT_EQ(book->text(3, rowOf(QStringLiteral("分布")), 2), QStringLiteral("対数正規分布"));
    EXPECT_EQ(cells.value(QStringLiteral("B%1").arg(rowOf(QStringLiteral("99.865%点")))).toArray()[2].toString(), QStringLiteral("0.00000_ "));
    EXPECT_EQ(cells.value(QStringLiteral("B%1").arg(rowOf(QStringLiteral("規格外ppm (分布の期待値)")))).toArray()[2].toString(), QStringLiteral("0.0_ "));

    // A distribution that cannot be fitted says why, where its figures would be.
    form->editKlower->setText(QStringLiteral("-1.000"));
    values(1, {"0.000", "10.100", "9.950"});
    QDir(saveDir.path()).removeRecursively();
    ui.openedDocuments.clear();
    click(form->btnExcel);
    const auto refused = report(QStringLiteral("判定結果"));
    ASSERT_TRUE(refused);
    const std::vector<chartmodel::StudyLine> refusedLines = chartmodel::studySheetLines(form->chartModel(QDateTime::currentDateTime()).study);
    EXPECT_EQ(refused->text(3, int(refusedLines.size()), 1),
              QStringLiteral("0以下の測定値があるため、対数正規分布では計算できません。対数正規分布は正の測定値だけに使えます。"));
    // Such a sentence alone in its row runs on beside the table: the labels' column stays as wide as the labels.
    const QString widths = QString::fromUtf8(testing_support::run(
        testing_support::python(), {QStringLiteral("-c"), QStringLiteral("import sys, openpyxl; print(openpyxl.load_workbook(sys.argv[1])['工程能力分析'].column_dimensions['A'].width)"),
                                    saveDir.path() + u'/' + saved().first()}));
    EXPECT_LT(widths.trimmed().toDouble(), 35) << widths.toStdString();
}

TEST_F(ReportsTest, UnderTheChartConstantsTheControlChartHoldsEachLotsLimits)
{
    // sigma = R̄/d2(3) = 0.4 / 1.69256875 over lots 1 and 3; X̿ = 70.8 / 7; lot 2 holds one value.
    threeLots();
    choose(form->cmbLimit, QStringLiteral("管理図係数法"));
    click(form->btnControlChart);
    EXPECT_TRUE(ui.messages.isEmpty());
    const auto book = report(QStringLiteral("XbarR"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->text(0, 1, 9), QStringLiteral("X-UCL\n(ロット別)"));
    EXPECT_EQ(book->text(0, 2, 9), "10.52362");
    EXPECT_EQ(book->text(0, 3, 9), "10.82327"); // one value: 3 sigma
    EXPECT_EQ(book->text(0, 2, 12), "1.02984");  // (d2 + 3 d3)(3) sigma, d3(3) = 0.888368004
    EXPECT_EQ(book->text(0, 3, 12), "");          // no range of one value
    EXPECT_EQ(book->text(0, 5, 9), "");
    // D2 keeps the nominal limit, the field's.
    EXPECT_EQ(model::tryParseNumber(book->text(0, 2, 4)), model::tryParseNumber(form->editUcl->text()));
    EXPECT_EQ(form->editUcl->text(), "10.52362");
}
