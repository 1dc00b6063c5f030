// The lot grid and the measurement grid scroll as one: after every way of scrolling and every
// sheet switch, each lot number is painted beside its own measurements and its own check box.
// Sheets of different lot counts come from a workbook imported through the File menu.
#include "MainFormFixture.h"

#include "ImportedSheet.h"
#include "exchange/WorkbookExport.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Workbook.h"

#include <QDir>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

namespace {

// Sheet s (from 1) has lots "s-001" onward whose first measurement is the lot's row.
model::SheetRecord numberedSheet(int s, int lots, int measurements)
{
    model::SheetRecord r = test_support::importedSheet(QStringLiteral("Sheet%1").arg(s), {}, lots, measurements, "1000", "0");
    for (int lot = 1; lot <= lots; ++lot) {
        r.dataLines.append(QStringLiteral("%1-%2,%3,1,2").arg(s).arg(lot, 3, 10, QLatin1Char('0')).arg(lot));
        r.enableFlags.append(QStringLiteral("1"));
    }
    return r;
}

class GridScrollTest : public MainFormTest {
protected:
    void SetUp() override
    {
        // What the screen shows is what these tests check: they run on an X server (Xvfb, a
        // test of its own), where a scroll moves pixels as it does on the operator's desktop.
        if (QGuiApplication::platformName() != u"xcb") GTEST_SKIP() << "runs on an X server";
        start();
        form->resize(950, 639);
        QApplication::processEvents();
        model::SheetStore store;
        // The last sheet is wider than the window: its measurement grid has a horizontal scroll bar.
        const int lots[] = {29, 40, 25, 100}, measurements[] = {3, 3, 3, 20};
        store.resize(4, false, model::AppSettings::defaults(), 10, 3);
        for (int i = 0; i < 4; ++i) store[i] = numberedSheet(i + 1, lots[i], measurements[i]);
        spreadsheet::Application application;
        const QString book = QDir(dir.path()).filePath("lots.xlsx");
        exchange::WriteWorkbookSheets(application, store).workbook.saveAs(book);
        ui.fileAnswers.push_back(book);
        chooseMenuItem(form->mainMenuXlsImport);
        ASSERT_EQ(form->tabCtrl->count(), 4);
        ASSERT_TRUE(ui.messages.isEmpty());
    }

    // Lets the window paint what is pending.
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QTest::qWait(1);
        }
    }

    // The pixels of a widget as the window shows them.
    QImage onScreen(QWidget* w) const
    {
        const QPoint at = w->mapTo(form.get(), QPoint(0, 0));
        return form->screen()->grabWindow(form->winId(), at.x(), at.y(), w->width(), w->height()).toImage();
    }

    // Both grids show the same top row; each measurement row has the lot number of its own row
    // at its height, the check box there belongs to that row, and what the lot grid shows is
    // what painting it afresh gives (no stale pixels from an earlier scroll).
    void expectInStep(const std::string& when)
    {
        settle();
        ui::StringGrid* lots = form->gridCtrl;
        ui::StringGrid* cells = form->gridEdit;
        EXPECT_EQ(lots->topRow(), cells->topRow()) << when;
        QHeaderView* header = lots->verticalHeader();
        const int first = cells->rowAt(0), last = cells->rowAt(cells->viewport()->height() - 1);
        ASSERT_GE(first, 0) << when;
        for (int r = first; r <= (last < 0 ? cells->model()->rowCount() - 1 : last); ++r) {
            const QRect cell = cells->visualRect(cells->model()->index(r, 0));
            const QPoint centre = cells->viewport()->mapToGlobal(cell.center());
            const int labelRow = header->logicalIndexAt(header->viewport()->mapFromGlobal(centre).y());
            const int checkRow = lots->rowAt(lots->viewport()->mapFromGlobal(centre).y());
            if (labelRow < 0 && checkRow < 0) continue; // below the lot grid's last row
            EXPECT_EQ(labelRow, r) << when << ": label beside row " << r + 1;
            EXPECT_EQ(checkRow, r) << when << ": check box beside row " << r + 1;
        }
        const QImage shown = onScreen(header), painted = header->grab().toImage();
        ASSERT_FALSE(shown.isNull()) << when;
        EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), painted.convertToFormat(QImage::Format_RGB32))
            << when << ": the lot numbers on the screen are not those of the rows";
    }

    void clickCell(ui::StringGrid* grid, int col, int row)
    {
        const QModelIndex i = grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols());
        grid->scrollTo(i);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(i).center());
        QApplication::processEvents();
    }

    static void wheel(QWidget* w, int notches)
    {
        const QPoint pos = w->rect().center();
        QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
        QApplication::processEvents();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(GridScrollTest, SelectAllThenAnotherSheetKeepsEachLotBesideItsRow)
{
    clickTab(0);
    clickCell(form->gridEdit, 0, 3);
    press(Qt::Key_A, Qt::ControlModifier); // selects the whole sheet and scrolls to its end
    expectInStep("select all on 29 lots");

    clickTab(1); // 40 lots
    expectInStep("40 lots after select all");

    // The check box beside a lot number's label toggles that lot.
    QHeaderView* header = form->gridCtrl->verticalHeader();
    const int label = header->logicalIndexAt(header->height() / 2);
    ASSERT_GE(label, 0);
    const int row = label + 1;
    const QString lot = form->gridCtrl->cell(0, row);
    const QPoint at = header->viewport()->mapToGlobal(QPoint(0, header->sectionViewportPosition(label) + 10));
    QTest::mouseClick(form->gridCtrl->viewport(), Qt::LeftButton, {},
                      QPoint(form->gridCtrl->columnViewportPosition(0) + 30, form->gridCtrl->viewport()->mapFromGlobal(at).y()));
    QApplication::processEvents();
    EXPECT_FALSE(form->gridCtrl->flag(1, row)) << lot.toStdString();
    EXPECT_EQ(form->gridEdit->cell(0, row), QString::number(row) + ".000");
    for (int r = 1; r <= 40; ++r)
        if (r != row) {
            EXPECT_TRUE(form->gridCtrl->flag(1, r)) << r;
        }
}

TEST_F(GridScrollTest, EveryWayOfScrollingAndEverySheetSwitchKeepsTheGridsInStep)
{
    clickTab(1); // 40 lots
    clickCell(form->gridEdit, 1, 2);
    press(Qt::Key_End, Qt::ControlModifier);
    expectInStep("Ctrl+End");
    press(Qt::Key_PageUp);
    expectInStep("Page Up");
    for (int i = 0; i < 5; ++i) press(Qt::Key_Down);
    expectInStep("arrow keys");
    wheel(form->gridEdit->viewport(), 3);
    expectInStep("wheel over the measurements");
    wheel(form->gridCtrl->viewport(), -2);
    expectInStep("wheel over the lots");
    wheel(form->gridCtrl->viewport(), 30);
    expectInStep("wheel over the lots to the end");

    // The measurement grid's scroll bar, clicked above and below its handle.
    QScrollBar* bar = form->gridEdit->verticalScrollBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 3));
    expectInStep("scroll bar page up");
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - bar->width() - 2));
    expectInStep("scroll bar page down");

    // Keys in the lot grid.
    clickCell(form->gridCtrl, 1, form->gridCtrl->topRow());
    press(Qt::Key_PageUp);
    expectInStep("Page Up in the lots");
    press(Qt::Key_End, Qt::ControlModifier);
    expectInStep("Ctrl+End in the lots");

    // Sheet switches from the end of one sheet to sheets of fewer and more lots, and back.
    const int order[] = {2, 3, 0, 3, 1, 2, 0, 1};
    for (int tab : order) {
        clickCell(form->gridEdit, 0, 1);
        press(Qt::Key_End, Qt::ControlModifier);
        expectInStep("end of sheet before leaving for " + std::to_string(tab + 1));
        clickTab(tab);
        expectInStep("sheet " + std::to_string(tab + 1) + " entered from the end of another");
        clickCell(form->gridEdit, 0, form->gridEdit->rowCount() / 2);
        press(Qt::Key_A, Qt::ControlModifier);
        expectInStep("select all on sheet " + std::to_string(tab + 1));
    }

    // The lot count, typed, from the end of the sheet.
    clickTab(3); // 100 lots
    clickCell(form->gridEdit, 0, 90);
    expectInStep("row 90");
    form->spinRow->setFocus();
    press(Qt::Key_A, Qt::ControlModifier);
    typeKeys("35");
    press(Qt::Key_Tab);
    expectInStep("lot count typed");
}
