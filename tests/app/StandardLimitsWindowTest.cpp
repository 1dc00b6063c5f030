// The third limit method in the window: chosen in the list like the others, its fields
// read-only, "管理限界値取得" and the SPC judgement with the limits of every lot.
#include "MainFormFixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>

class StandardLimitsWindowTest : public MainFormTest {
protected:
    void SetUp() override { startSmallSheet(); }
};

TEST_F(StandardLimitsWindowTest, TheFieldsShowTheNominalLimitsAndEveryLotIsJudgedAgainstItsOwn)
{
    // sigma = (0.2 / d2(3) + 0.2 / d2(2)) / 2 = 0.1477045 (d2(3) = 1.69256875, d2(2) = 2/√π);
    // the fields: 10.05 ± 3 sigma / √3 and (d2(3) + 3 d3(3)) sigma with d3(3) = 0.888368004.
    values(1, {"9.900", "10.000", "10.100"});
    values(2, {"10.000", "10.200"});
    values(3, {"10.100"});
    choose(form->cmbLimit, "管理図係数法");
    EXPECT_EQ(form->cmbLimit->currentIndex(), 2);
    EXPECT_TRUE(form->editUcl->isReadOnly());
    EXPECT_TRUE(form->editRsUcl->isReadOnly());

    QTest::mouseClick(form->btn3Stdev, Qt::LeftButton);
    EXPECT_EQ(form->editUcl->text(), "10.30583");
    EXPECT_EQ(form->editLcl->text(), "9.79417");
    EXPECT_EQ(form->editRsUcl->text(), "0.64365");

    form->editUcl->setText("");
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->editUcl->text(), "10.30583");
    EXPECT_EQ(form->pnlSpcJudg->text(), "合格");
    EXPECT_EQ(form->gridSpc->cell(0, 3), "K003");
    EXPECT_EQ(form->gridSpc->cell(1, 3), "○");
    EXPECT_EQ(form->gridSpc->cell(9, 3), "－"); // one value: no range
    EXPECT_EQ(form->gridSpc->cell(9, 2), "○");
}

TEST_F(StandardLimitsWindowTest, LotsOfOneValueLeaveTheFieldsEmptyAndTheSpcJudgementWithoutResult)
{
    values(1, {"9.900"});
    values(2, {"", "10.000"});
    form->editUcl->setText("10.4");
    choose(form->cmbLimit, "管理図係数法");
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->editUcl->text(), "");
    EXPECT_EQ(form->pnlCpkJudg->text().isEmpty(), false);
    EXPECT_EQ(form->pnlSpcJudg->text(), "");
}

TEST_F(StandardLimitsWindowTest, TheInitialValuesDialogOffersTheMethod)
{
    EXPECT_EQ(setting->cmbLimit->findText("管理図係数法"), 2);
}
