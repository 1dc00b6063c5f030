// Entering a sheet or finishing an import shows the first lot and the first measurement at the
// top left of the grids, wherever the operator had scrolled before: typing into what looks like
// the first lot must never reach another one.
#include "MainFormFixture.h"

#include "ImportedSheet.h"
#include "exchange/CsvWriter.h"
#include "exchange/WorkbookExport.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Workbook.h"

#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

namespace {

// 100 lots of 30 measurements; lot "S-NNN" holds its row number in every cell.
model::SheetRecord bigSheet(const QString& prefix)
{
    model::SheetRecord r = test_support::importedSheet(prefix, {}, 100, 30, "1000", "0");
    for (int lot = 1; lot <= 100; ++lot) {
        QString line = QStringLiteral("%1-%2").arg(prefix).arg(lot, 3, 10, QLatin1Char('0'));
        for (int c = 0; c < 30; ++c) line += u',' + QString::number(lot);
        r.dataLines.append(line);
        r.enableFlags.append(QStringLiteral("1"));
    }
    return r;
}

class FirstLotOnEntryTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->resize(950, 639);
        QApplication::processEvents();
        model::SheetStore store;
        store.resize(2, false, model::AppSettings::defaults(), 10, 3);
        store[0] = bigSheet("A");
        store[1] = bigSheet("B");
        spreadsheet::Application application;
        workbook = QDir(dir.path()).filePath("big.xlsx");
        exchange::WriteWorkbookSheets(application, store).workbook.saveAs(workbook);
        csv = QDir(dir.path()).filePath("C.csv");
        exchange::WriteSheetCsv(csv, bigSheet("C"), 1, exchange::csvHeadingLine("Lot", {}));
    }

    // The operator goes to the last lot and measurement with the keys, then turns the wheel.
    void scrollToTheEnd()
    {
        ui::StringGrid* cells = form->gridEdit;
        QTest::mouseClick(cells->viewport(), Qt::LeftButton, {}, cells->visualRect(cells->model()->index(0, 0)).center());
        press(Qt::Key_End, Qt::ControlModifier);
        QWheelEvent wheel(cells->viewport()->rect().center(), cells->viewport()->mapToGlobal(cells->viewport()->rect().center()),
                          QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(cells->viewport(), &wheel);
        QApplication::processEvents();
        ASSERT_GT(cells->topRow(), 50);
        ASSERT_GT(cells->horizontalScrollBar()->value(), 0);
        ASSERT_GT(form->gridCtrl->topRow(), 50);
    }

    void expectFirstLotAtTopLeft(const char* when, const QString& firstLot)
    {
        ui::StringGrid* cells = form->gridEdit;
        EXPECT_EQ(cells->rowAt(0), 0) << when;
        EXPECT_EQ(cells->columnAt(0), 0) << when;
        EXPECT_EQ(form->gridCtrl->rowAt(0), 0) << when;
        EXPECT_EQ(form->gridCtrl->cell(0, form->gridCtrl->topRow()), firstLot) << when;
        EXPECT_EQ(cells->currentRow(), 1) << when;
        EXPECT_EQ(cells->currentCol(), 0) << when;
        // What the operator types next goes into the first lot's first cell.
        cells->setFocus();
        QApplication::processEvents();
        typeKeys("7");
        press(Qt::Key_Return);
        EXPECT_EQ(cells->cell(0, 1), "7.000") << when;
        EXPECT_EQ(cells->rowAt(0), 0) << when;
    }

    QTemporaryDir dir;
    QString workbook, csv;
};

} // namespace

TEST_F(FirstLotOnEntryTest, AfterASheetSwitchAndAfterEachImport)
{
    ui.fileAnswers.push_back(workbook);
    chooseMenuItem(form->mainMenuXlsImport);
    ASSERT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(form->tabCtrl->count(), 2);

    scrollToTheEnd();
    clickTab(1);
    expectFirstLotAtTopLeft("sheet 2 entered", "B-001");

    scrollToTheEnd();
    clickTab(0);
    expectFirstLotAtTopLeft("sheet 1 entered again", "A-001");

    scrollToTheEnd();
    ui.fileAnswers.push_back(csv);
    chooseMenuItem(form->mainMenuCsvImport);
    ASSERT_TRUE(ui.messages.isEmpty());
    expectFirstLotAtTopLeft("CSV import", "C-001");

    scrollToTheEnd();
    ui.fileAnswers.push_back(workbook);
    chooseMenuItem(form->mainMenuXlsImport);
    ASSERT_TRUE(ui.messages.isEmpty());
    expectFirstLotAtTopLeft("workbook import", "A-001");
}
