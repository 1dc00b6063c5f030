// The sheet's lot numbers through every change of the grid layout, driven as the operator
// drives it: an imported sheet, lot numbers typed in the lot-number editor, the chart kind
// chosen from its list, the counts typed, the initial values confirmed, and the CSV export
// read back from disk.
#include "../exchange/ExchangeTestSupport.h"
#include "MainFormFixture.h"

#include <QAbstractItemView>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

using exchange_test::cp932;
using exchange_test::readAll;

namespace {

class LotNumberLayoutTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->csvFilePause = 0;
    }

    // Runs a dialog opened by `open`, with `script` acting on it while it is shown.
    void runDialog(QDialog* dialog, const std::function<void()>& open, const std::function<void()>& script)
    {
        ui.dialogScripts.push_back([dialog, script](QDialog& d) {
            EXPECT_EQ(&d, dialog);
            QApplication::setActiveWindow(&d);
            QApplication::processEvents();
            script();
            return d.result();
        });
        open();
        EXPECT_TRUE(ui.dialogScripts.empty());
    }
    // Replaces a field's text with keys and leaves it with Tab.
    static void retype(QWidget* field, const QString& text)
    {
        field->setFocus();
        QApplication::processEvents();
        press(Qt::Key_A, Qt::ControlModifier);
        typeKeys(text);
        press(Qt::Key_Tab);
    }
    // Clicks a data cell of a grid.
    static void clickCell(ui::StringGrid* grid, int col, int row)
    {
        grid->scrollTo(grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols()));
        const QRect r = grid->visualRect(grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols()));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QApplication::processEvents();
    }

    // The lot numbers of the displayed lots; the result grids must repeat them.
    QStringList lots() const
    {
        QStringList out;
        for (int r = 1; r < form->gridCtrl->rowCount(); ++r) {
            const QString t = form->gridCtrl->cell(0, r);
            EXPECT_EQ(form->gridCalc->cell(0, r), t) << r;
            EXPECT_EQ(form->gridSpc->cell(0, r), t) << r;
            out << t;
        }
        return out;
    }
    static QStringList defaults(int from, int to)
    {
        QStringList out;
        for (int r = from; r <= to; ++r) out << QStringLiteral("K%1").arg(r, 3, 10, QLatin1Char('0'));
        return out;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(LotNumberLayoutTest, LotNumbersSurviveEveryLayoutChangeIntoTheExport)
{
    // Twelve imported lots; lot 4's lot number is blank in the file.
    QString text = "品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
                   "P,Q,R,Shaft,mm,公差規格,3,20,0\r\n\r\nﾛｯﾄ№,N1,N2,N3\r\n";
    for (int r = 1; r <= 12; ++r) text += QStringLiteral("%1,%2,1,2\r\n").arg(r == 4 ? QString() : QStringLiteral("Lot-%1").arg(r)).arg(r);
    const QString csv = QDir(dir.path()).filePath("lots.csv");
    ASSERT_TRUE(exchange_test::writeAll(csv, cp932(text)));
    ui.fileAnswers.push_back(csv);
    chooseMenuItem(form->mainMenuCsvImport);
    ASSERT_EQ(form->spinRow->value(), 12);
    QStringList expected{"Lot-1", "Lot-2", "Lot-3", "", "Lot-5", "Lot-6", "Lot-7", "Lot-8", "Lot-9", "Lot-10", "Lot-11", "Lot-12"};
    EXPECT_EQ(lots(), expected);

    // Two lot numbers typed in the editor.
    runDialog(
        lotEdit, [&] { QTest::mouseClick(form->btnLotEdit, Qt::LeftButton); },
        [&] {
            clickCell(lotEdit->gridLotno, 0, 2);
            typeKeys("X-2");
            press(Qt::Key_Return);
            typeKeys("X-3");
            press(Qt::Key_Return);
            typeKeys("Lot-4"); // the editor refuses a blank lot number
            press(Qt::Key_Return);
            QTest::mouseClick(lotEdit->btnOk, Qt::LeftButton);
        });
    expected[1] = "X-2";
    expected[2] = "X-3";
    expected[3] = "Lot-4";
    EXPECT_EQ(lots(), expected);
    clickCell(form->gridCtrl, 1, 6); // lot 6 disabled
    ASSERT_FALSE(form->gridCtrl->flag(1, 6));

    // The chart kind: the layout keeps the lot numbers and the enable checks.
    choose(form->cmbChart, "XbarS管理図");
    EXPECT_EQ(form->pnlRsUcl->text(), "S-UCL");
    EXPECT_EQ(lots(), expected);
    EXPECT_FALSE(form->gridCtrl->flag(1, 6));

    // The lot count, typed: "1" lays out one lot on the way to 15; the hidden ones come back,
    // the new rows get the defaults and every lot is enabled.
    retype(form->spinRow, "15");
    ASSERT_EQ(form->gridCtrl->rowCount(), 16);
    expected += defaults(13, 15);
    EXPECT_EQ(lots(), expected);
    for (int r = 1; r <= 15; ++r) EXPECT_TRUE(form->gridCtrl->flag(1, r)) << r;

    // The measurement count, typed.
    retype(form->spinCol, "4");
    ASSERT_EQ(form->gridEdit->colCount(), 4);
    EXPECT_EQ(lots(), expected);

    // The initial values confirmed with another lot count.
    runDialog(
        setting, [&] { chooseMenuItem(form->menuSettingInit); },
        [&] {
            retype(setting->spinRow, "20");
            QTest::mouseClick(setting->btnOk, Qt::LeftButton);
        });
    ASSERT_EQ(form->gridCtrl->rowCount(), 21);
    expected += defaults(16, 20);
    EXPECT_EQ(lots(), expected);

    // The export saves the sheet first: the file holds the lot numbers beside their values.
    ui.fileAnswers.push_back(dir.path());
    chooseMenuItem(form->mainMenuCsvSave);
    const QList<QByteArray> lines = readAll(QDir(dir.path()).filePath("Sheet1.csv")).split('\n');
    ASSERT_EQ(lines.size(), 4 + 20 + 1);
    for (int r = 1; r <= 20; ++r) {
        const QList<QByteArray> fields = lines[3 + r].trimmed().split(',');
        EXPECT_EQ(QString::fromLatin1(fields[0]), expected[r - 1]) << r;
        if (r <= 12) {
            EXPECT_EQ(fields.value(1), QByteArray::number(r) + ".000") << r;
        }
    }
}

TEST_F(LotNumberLayoutTest, ABlankLotNumberGetsItsDefaultWhenTheLayoutChanges)
{
    // A lot number the file left blank shows blank until the layout changes.
    QString text = "品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
                   "P,Q,R,Shaft,mm,公差規格,3,20,0\r\n\r\nﾛｯﾄ№,N1,N2\r\n";
    for (int r = 1; r <= 10; ++r) text += QStringLiteral("%1,%2,1\r\n").arg(r == 2 ? QStringLiteral("  ") : QStringLiteral("A%1").arg(r)).arg(r);
    const QString csv = QDir(dir.path()).filePath("blank.csv");
    ASSERT_TRUE(exchange_test::writeAll(csv, cp932(text)));
    ui.fileAnswers.push_back(csv);
    chooseMenuItem(form->mainMenuCsvImport);
    ASSERT_EQ(form->spinRow->value(), 10);
    EXPECT_TRUE(form->gridCtrl->cell(0, 2).trimmed().isEmpty());

    retype(form->spinCol, "3");
    EXPECT_EQ(lots(), (QStringList{"A1", "K002", "A3", "A4", "A5", "A6", "A7", "A8", "A9", "A10"}));
    clickTab(1);
    clickTab(0);
    EXPECT_EQ(form->gridCtrl->cell(0, 2), "K002");
    EXPECT_EQ(form->gridCtrl->cell(0, 10), "A10");
}
