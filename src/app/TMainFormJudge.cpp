// The main window's judgement handlers: specification, control limits, capability and the
// SPC rules, run as a chain, and the painters of the two result grids. The chain itself is
// in src/sheetview (on the computations of src/judge); these handlers lend it the shown
// sheet, then show what it reported.
#include "app/MainFormView.h"

#include "judge/Capability.h"
#include "judge/ControlLimits.h"
#include "judge/SpcJudgement.h"
#include "sheetview/JudgementChain.h"
#include "ui/Busy.h"
#include "ui/Interaction.h"
#include "ui/Look.h"
#include "ui/StringGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>

namespace {

// Tells on every way out of a judgement, an error included, that the results may have changed.
class ResultsNotice {
public:
    explicit ResultsNotice(TMainForm& form) : form_(form) {}
    ~ResultsNotice() { emit form_.resultsChanged(); }
    ResultsNotice(const ResultsNotice&) = delete;
    ResultsNotice& operator=(const ResultsNotice&) = delete;

private:
    TMainForm& form_;
};

ui::MessageIcon iconOf(sheetview::NoticeIcon icon)
{
    switch (icon) {
    case sheetview::NoticeIcon::Exclamation: return ui::MessageIcon::Exclamation;
    case sheetview::NoticeIcon::Error: return ui::MessageIcon::Error;
    case sheetview::NoticeIcon::Warning: break;
    }
    return ui::MessageIcon::Warning;
}

} // namespace

void TMainForm::runChain(ChainStage stage)
{
    ui::BusyCursor busy;
    sheetview::ChainReport report;
    {
        const int tab = tabCtrl->currentIndex();
        ViewLoan loan(*this, tab);
        const sheetview::ChainContext context{&settings_.rules, tab >= 0 && tab < store_.count() ? &store_[tab] : nullptr};
        stage(loan.view, context, report);
    }
    showChainReport(report);
}

void TMainForm::showChainReport(const sheetview::ChainReport& report)
{
    if (report.specFinished) {
        gridEdit->viewport()->update();
        gridEdit->showFirstCell();
    }
    if (report.capabilityFinished) gridCalc->setCurrentCell(1, 1);
    if (report.spcFinished) gridSpc->setCurrentCell(1, 1);
    if (report.focus) {
        QLineEdit* const fields[] = {editLabel, editUnit, editKupper, editKlower};
        fields[int(*report.focus)]->setFocus();
    }
    if (report.notice) ui::showMessage(this, report.notice->text, report.notice->caption, iconOf(report.notice->icon));
}

bool TMainForm::CheckRequiredFields()
{
    sheetview::ChainReport report;
    bool complete = false;
    {
        ViewLoan loan(*this, tabCtrl->currentIndex());
        complete = sheetview::checkRequiredFields(loan.view, report);
    }
    showChainReport(report);
    return complete;
}

void TMainForm::btnSpecJudgClick() { runChain(&sheetview::judgeSpecification); }

void TMainForm::menuExecSpecClick()
{
    btnSpecJudgClick();
    pageInput->setCurrentIndex(0);
}

void TMainForm::btn3StdevClick()
{
    bool computed = false;
    {
        ViewLoan loan(*this, tabCtrl->currentIndex());
        computed = sheetview::computeControlLimits(loan.view);
    }
    if (computed) emit resultsChanged();
}

void TMainForm::btnCpkCalcClick()
{
    const ResultsNotice notice(*this);
    runChain(&sheetview::judgeCapability);
}

void TMainForm::menuExecOperationClick()
{
    btnCpkCalcClick();
    pageInput->setCurrentIndex(1);
}

void TMainForm::btnSpcJudgClick()
{
    const ResultsNotice notice(*this);
    runChain(&sheetview::judgeSpc);
}

void TMainForm::menuExecSpcClick()
{
    btnSpcJudgClick();
    pageInput->setCurrentIndex(2);
}

void TMainForm::chkCpCpkClick()
{
    const bool ticked = chkCpCpk->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{editCpCpk, cmbCpCpk}) {
        w->setEnabled(ticked);
        ui::setFieldColour(w, ticked ? ui::kFieldColor : ui::buttonFaceColor());
    }
}

namespace {

// Background and text colour shared by the result grids: fixed cells in the grid's fixed
// colour, data rows alternating white and light green, the current row yellow while focused.
void resultCellColours(const ui::StringGrid& grid, const ui::CellPaint& c, QColor& bg)
{
    if (c.fixed) bg = grid.fixedColor();
    else bg = (c.row % 2 == 0) ? ui::kAlternateRowColor : grid.cellColor();
    if (!c.fixed && c.focused && c.row == grid.currentRow()) bg = ui::kFocusColor;
}

void drawResultText(QPainter& p, const ui::CellPaint& c, const QColor& bg, bool redBold, Qt::Alignment align)
{
    p.fillRect(c.rect, bg);
    QFont f = p.font();
    f.setBold(redBold);
    p.setFont(f);
    p.setPen(redBold ? ui::kFailColor : QColor(Qt::black));
    ui::StringGrid::drawText(p, c.rect, c.text, align);
}

} // namespace

void TMainForm::gridCalcDrawCell(QPainter& p, const ui::CellPaint& c)
{
    QColor bg;
    resultCellColours(*gridCalc, c, bg);
    bool red = judge::isAnomalyText(c.text);
    if (!c.fixed && capabilityJudged && chkCpCpk->isChecked() && !c.text.isEmpty()) {
        const int judgedColumn = cmbCpCpk->currentIndex() == 0 ? judge::kCalcCp : judge::kCalcCpk;
        if (c.col == judgedColumn && judge::isBelowThresholdText(c.text, editCpCpk->text())) red = true;
    }
    const bool numeric = !c.fixed && c.col >= judge::kCalcCount && c.col <= judge::kCalcCpk;
    drawResultText(p, c, bg, red, numeric ? Qt::AlignRight : Qt::AlignHCenter);
}

void TMainForm::gridSpcDrawCell(QPainter& p, const ui::CellPaint& c)
{
    QColor bg;
    resultCellColours(*gridSpc, c, bg);
    drawResultText(p, c, bg, judge::isAnomalyText(c.text), Qt::AlignHCenter);
}
