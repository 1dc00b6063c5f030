// The sample files as an operator meets them: imported through the File menu of the real
// window (the file dialog answered with the sample), every sheet judged with "SPC異常判定",
// without a single message, and with the results the operator's manual describes.
#include "MainFormFixture.h"

#include <QDir>
#include <QPushButton>

namespace {

QString sampleFile(const QString& name) { return QDir(QStringLiteral(QUORVANE_SAMPLE_FILES)).filePath(name); }

// What the operator reads off a sheet after the judgement.
struct Judged {
    QString spec, capability, spc;
    int lots = 0;
    QStringList capabilityMarks; // lots marked "×異常あり" on the capability page
    QStringList spcMarks;        // "lot rule" for every "×" on the SPC page
    friend bool operator==(const Judged&, const Judged&) = default;
};

std::ostream& operator<<(std::ostream& os, const Judged& j)
{
    return os << j.spec.toStdString() << " " << j.capability.toStdString() << " " << j.spc.toStdString() << " lots "
              << j.lots << " [" << j.capabilityMarks.join(", ").toStdString() << "] ["
              << j.spcMarks.join(", ").toStdString() << "]";
}

} // namespace

class SampleFilesTest : public MainFormTest {
protected:
    void SetUp() override { start(); }

    void import(QAction* command, const QString& file)
    {
        ui.fileAnswers.push_back(sampleFile(file));
        chooseMenuItem(command);
    }
    Judged judgeShownSheet()
    {
        QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
        QApplication::processEvents();
        Judged j{form->pnlSpecJudg->text(), form->pnlCpkJudg->text(), form->pnlSpcJudg->text(), form->spinRow->value(), {}, {}};
        for (int r = 1; r < form->gridCalc->rowCount(); ++r)
            if (form->gridCalc->cell(9, r) == QStringLiteral("×異常あり")) j.capabilityMarks << form->gridCalc->cell(0, r);
        for (int r = 1; r < form->gridSpc->rowCount(); ++r)
            for (int c = 1; c < 17; ++c)
                if (form->gridSpc->cell(c, r) == QStringLiteral("×"))
                    j.spcMarks << form->gridSpc->cell(0, r) + u' ' + form->gridSpc->cell(c, 0);
        return j;
    }
    // The shown sheet as the view holds it: header fields, lot numbers and every measurement.
    QStringList view() const
    {
        QStringList v{form->editProduct->text(), form->editProcess->text(), form->editMbc->text(),
                      form->editLabel->text(),   form->editUnit->text(),    form->cmbSpecKind->currentText(),
                      form->spinKeta->text(),    form->editKupper->text(),  form->editKlower->text()};
        for (int r = 1; r < form->gridEdit->rowCount(); ++r) {
            v << form->gridCtrl->cell(0, r);
            for (int c = 0; c < form->gridEdit->colCount(); ++c) v << form->gridEdit->cell(c, r);
        }
        return v;
    }
    void expectNoMessage()
    {
        for (const ui::Message& m : ui.messages) ADD_FAILURE() << m.caption.toStdString() << ": " << m.text.toStdString();
        ui.messages.clear();
    }
};

TEST_F(SampleFilesTest, TheWorkbookImportsAndEverySheetJudgesWithoutAMessage)
{
    import(form->mainMenuXlsImport, QStringLiteral("SampleWorkbook.xlsx"));
    expectNoMessage();
    ASSERT_EQ(form->tabCtrl->count(), 3);
    EXPECT_EQ(form->tabCtrl->tabText(0), QStringLiteral("軸外径"));
    EXPECT_EQ(form->tabCtrl->tabText(1), QStringLiteral("表面粗さRa"));
    EXPECT_EQ(form->tabCtrl->tabText(2), QStringLiteral("溶接強度"));

    // Sheet 1, tolerance: lot GS-007 was disabled when the sheet was saved, so the file lacks
    // it; one value of GS-018 is above the upper limit, which every judgement notices.
    clickTab(0);
    EXPECT_EQ(form->cmbSpecKind->currentIndex(), 0);
    EXPECT_EQ(form->gridCtrl->cell(0, 6), QStringLiteral("GS-006"));
    EXPECT_EQ(form->gridCtrl->cell(0, 7), QStringLiteral("GS-008"));
    EXPECT_EQ(judgeShownSheet(), (Judged{"不合格", "不合格", "不合格", 29, {"GS-018"}, {"GS-018 R①"}}));
    EXPECT_EQ(form->gridEdit->cell(3, 17), QStringLiteral("25.024"));
    expectNoMessage();

    // Sheet 2, upper limit only: within the limit and capable, but the lot means drift upwards.
    clickTab(1);
    EXPECT_EQ(form->cmbSpecKind->currentIndex(), 1);
    EXPECT_EQ(judgeShownSheet(), (Judged{"合格", "合格", "不合格", 40, {}, {"RA-034 X②", "RA-040 X⑥"}}));
    expectNoMessage();

    // Sheet 3, lower limit only: a stable, capable process.
    clickTab(2);
    EXPECT_EQ(form->cmbSpecKind->currentIndex(), 2);
    EXPECT_EQ(judgeShownSheet(), (Judged{"合格", "合格", "合格", 25, {}, {}}));
    expectNoMessage();
}

TEST_F(SampleFilesTest, EveryCsvFileHoldsItsWorkbookSheetAndJudgesAlike)
{
    import(form->mainMenuXlsImport, QStringLiteral("SampleWorkbook.xlsx"));
    std::vector<QStringList> views;
    std::vector<Judged> judged;
    for (int i = 0; i < 3; ++i) {
        clickTab(i);
        views.push_back(view());
        judged.push_back(judgeShownSheet());
    }
    // Each CSV file goes into a sheet other than its own, as an operator may import it anywhere.
    for (int i = 0; i < 3; ++i) {
        const int target = (i + 1) % 3;
        clickTab(target);
        import(form->mainMenuCsvImport, QStringLiteral("SampleSheet%1.csv").arg(i + 1));
        EXPECT_EQ(form->tabCtrl->tabText(target), views[size_t(i)][3]) << i;
        EXPECT_EQ(view(), views[size_t(i)]) << i;
        EXPECT_EQ(judgeShownSheet(), judged[size_t(i)]) << i;
    }
    expectNoMessage();
}
