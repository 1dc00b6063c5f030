#include "MainFormFixture.h"

#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>

namespace {

// Counts pixels of a painted cell that are pure red (the anomaly colour).
int redPixels(const std::function<void(QPainter&, const ui::CellPaint&)>& paint, const ui::CellPaint& cell)
{
    QImage img(cell.rect.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        paint(p, cell);
    }
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == QColor(255, 0, 0)) ++n;
    return n;
}

} // namespace

class JudgementTest : public MainFormTest {
protected:
    void SetUp() override
    {
        startSmallSheet();
    }
    QString calc(int col, int row) const { return form->gridCalc->cell(col, row); }
};

TEST_F(JudgementTest, TheChainFillsTheResultGridsAndPanels)
{
    values(1, {"9.800", "10.000", "10.200"});
    values(3, {"10.000", "10.400"});
    form->menuExecSpc->trigger();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->pageInput->currentIndex(), 2);
    EXPECT_EQ(form->pnlSpecJudg->text(), "合格");
    EXPECT_EQ(form->pnlSpecJudg->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(form->pnlCpkJudg->text(), "不合格");
    EXPECT_EQ(form->pnlCpkJudg->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    ASSERT_EQ(form->gridCalc->rowCount(), 4);
    const QStringList lot2{"K003", "2", "10.40000", "10.00000", "10.20000", "0.40000", "0.28284", "0.589", "0.354", "×異常あり"};
    const QStringList total{"＊トータル", "5", "10.40000", "9.80000", "10.08000", "0.40000", "0.22804", "0.731", "0.614", "×異常あり"};
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(calc(c, 2), lot2[c]) << c;
        EXPECT_EQ(calc(c, 3), total[c]) << c;
    }
    EXPECT_EQ(calc(0, 1), "K001");
    EXPECT_EQ(form->editUcl->text().isEmpty(), false);
    // SPC grid: one row per lot row, lot numbers copied, 18 columns of marks.
    ASSERT_EQ(form->gridSpc->rowCount(), 3);
    EXPECT_EQ(form->gridSpc->cell(0, 2), "K003");
    EXPECT_EQ(form->gridSpc->cell(1, 1), "○");
    EXPECT_FALSE(form->pnlSpcJudg->text().isEmpty());
    EXPECT_EQ(form->gridSpc->currentRow(), 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(JudgementTest, ABlankRequiredFieldStopsWithGuidanceAndFocus)
{
    values(1, {"10.000"});
    click(form->btnSpecJudg);
    ASSERT_EQ(form->pnlSpecJudg->text(), "合格");
    form->editUnit->clear();
    QTest::mouseClick(form->btnSpecJudg, Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, "必須項目が入力されていません。");
    EXPECT_EQ(ui.messages[0].caption, "ガイドメッセージ");
    EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(QApplication::focusWidget(), form->editUnit);
    EXPECT_EQ(form->pnlSpecJudg->text(), "");
}

TEST_F(JudgementTest, ALimitThatIsNotANumberWarnsAndLeavesTheStoreAlone)
{
    values(1, {"10.000"});
    const model::SheetRecord before = form->sheetStore()[0];
    form->editKupper->setText("1x");
    click(form->btnSpecJudg);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, "警告メッセージ");
    EXPECT_EQ(ui.messages[0].text,
              "入力値が「未入力」または、「異常値」です。「規格上限／規格下限」の値を確認してください…。（※入力必須項目です）");
    EXPECT_TRUE(form->sheetStore()[0] == before);
    EXPECT_FALSE(form->specJudged);
}

TEST_F(JudgementTest, AMeasurementThatIsNotANumberReachesTheStandardErrorBox)
{
    values(1, {"10.000", "1.2.3"});
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, "'1.2.3' は浮動小数点数ではありません");
    EXPECT_EQ(ui.messages[0].caption, "エラーメッセージ");
    EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form->specJudged);
    EXPECT_EQ(form->pnlSpecJudg->text(), "");
    EXPECT_EQ(form->pnlCpkJudg->text(), "");
    EXPECT_EQ(form->gridCalc->cell(1, 1), "");
}

TEST_F(JudgementTest, SpecifiedLimitsWithAnEmptyFieldStopSilently)
{
    values(1, {"9.800", "10.000", "10.200"});
    choose(form->cmbLimit, QStringLiteral("指定管理値"));
    EXPECT_FALSE(form->editUcl->isReadOnly());
    form->editUcl->setText("10.6");
    form->editLcl->setText("9.4");
    click(form->btnCpkCalc);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->pnlSpecJudg->text(), "合格");
    EXPECT_EQ(form->gridCalc->cell(1, 1), "");
    EXPECT_FALSE(form->capabilityJudged);
}

TEST_F(JudgementTest, AllValuesEqualJudgeWithoutAnError)
{
    for (int r = 1; r <= 10; ++r) values(r, {"10.000", "10.000", "10.000"});
    click(form->btnSpcJudg);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->gridCalc->cell(6, 11), "");      // no standard deviation in the total row
    EXPECT_EQ(form->pnlCpkJudg->text(), "合格");
    EXPECT_EQ(form->pnlSpcJudg->text(), "合格");
    EXPECT_EQ(form->gridSpc->cell(17, 10), "○異常なし");
}

TEST_F(JudgementTest, OneHundredLotsPutTheTotalRowInRow101)
{
    form->spinRow->setValue(100);
    for (int r = 1; r <= 100; ++r) values(r, {"10.000", r % 2 ? "10.100" : "9.900", "10.050"});
    click(form->btnSpcJudg);
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(form->gridCalc->rowCount(), 102);
    EXPECT_EQ(form->gridCalc->cell(0, 101), "＊トータル");
    EXPECT_EQ(form->gridCalc->cell(1, 101), "300");
    EXPECT_EQ(form->gridSpc->rowCount(), 101);
}

TEST_F(JudgementTest, ResultGridsPaintAnomaliesAndLowIndicesRedBold)
{
    values(1, {"9.800", "10.000", "10.200"});
    click(form->btnCpkCalc);
    const QRect rect(0, 0, 90, 20);
    auto calcPaint = [this](QPainter& p, const ui::CellPaint& c) { form->gridCalcDrawCell(p, c); };
    ui::CellPaint mark{9, 1, rect, form->gridCalc->cell(9, 1)};
    ui::CellPaint cpk{8, 1, rect, form->gridCalc->cell(8, 1)};
    ui::CellPaint count{1, 1, rect, form->gridCalc->cell(1, 1)};
    EXPECT_GT(redPixels(calcPaint, mark), 0);
    EXPECT_GT(redPixels(calcPaint, cpk), 0);      // 0.833 is below 1.33
    EXPECT_EQ(redPixels(calcPaint, count), 0);
    form->editCpCpk->setText("0.50");             // the threshold is read at painting time
    EXPECT_EQ(redPixels(calcPaint, cpk), 0);
}
