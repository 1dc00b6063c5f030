// The main window's judgement handlers: specification, control limits, capability and the
// SPC rules, run as a chain, and the painters of the two result grids. The computations are
// in src/judge; these handlers gather the controls' texts, call them and write back.
#include "app/TMainForm.h"

#include "judge/Capability.h"
#include "judge/ControlLimits.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecJudgement.h"
#include "model/Text.h"
#include "ui/Busy.h"
#include "ui/GridOps.h"
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

const QString kGuidanceCaption = QStringLiteral("ガイドメッセージ");
const QString kWarningCaption = QStringLiteral("警告メッセージ");

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

judge::Measurements measurementsOf(const ui::StringGrid& cells, const ui::StringGrid& lots)
{
    return judge::Measurements(cells.table(), lots.table(), cells.rowCount() - 1, cells.colCount());
}

} // namespace

void TMainForm::showJudgement(QLabel* panel, judge::Outcome outcome)
{
    if (outcome == judge::Outcome::NoResult) return;
    setJudgement(panel, judge::outcomeCaption(outcome), outcome == judge::Outcome::Pass);
}

judge::ControlLimitTexts TMainForm::controlLimitTexts() const
{
    return {editUcl->text(), editLcl->text(), editRsUcl->text()};
}

bool TMainForm::CheckRequiredFields()
{
    pnlSpecJudg->clear();
    for (QLineEdit* e : {editLabel, editUnit, editKupper, editKlower}) {
        if ((e == editKupper || e == editKlower) && !e->isEnabled()) continue;
        if (model::isBlank(e->text())) {
            e->setFocus();
            ui::showMessage(this, QStringLiteral("必須項目が入力されていません。"), kGuidanceCaption,
                            ui::MessageIcon::Exclamation);
            return false;
        }
    }
    return true;
}

void TMainForm::btnSpecJudgClick()
{
    if (!CheckRequiredFields()) return;
    const auto limits = judge::tryReadSpecLimits(judge::specKindFromIndex(cmbSpecKind->currentIndex()),
                                                 editKupper->text(), editKlower->text());
    if (!limits) {
        ui::showMessage(this,
                        QStringLiteral("入力値が「未入力」または、「異常値」です。「規格上限／規格下限」の値を確認してください…。（※入力必須項目です）"),
                        kWarningCaption, ui::MessageIcon::Exclamation);
        return;
    }
    judge::Outcome outcome;
    {
        ui::BusyCursor busy;
        SaveSheet(tabCtrl->currentIndex());
        specJudged = true;
        judge::normaliseBlankCells(gridEdit->table(), gridEdit->rowCount() - 1, gridEdit->colCount());
        gridEdit->refresh();
        outcome = judge::scanSpecification(gridEdit->table(), gridEdit->rowCount() - 1, gridEdit->colCount(), *limits);
    }
    showJudgement(pnlSpecJudg, outcome);
    gridEdit->viewport()->update();
    gridEdit->setCurrentCell(0, 1);
    gridEdit->setTopRow(1);
}

void TMainForm::menuExecSpecClick()
{
    btnSpecJudgClick();
    pageInput->setCurrentIndex(0);
}

void TMainForm::btn3StdevClick()
{
    const auto limits = judge::computeControlLimits(measurementsOf(*gridEdit, *gridCtrl),
                                                    judge::chartKindFromIndex(cmbChart->currentIndex()));
    if (!limits) return;
    editUcl->setText(limits->ucl);
    editLcl->setText(limits->lcl);
    editRsUcl->setText(limits->rsUcl);
    emit resultsChanged();
}

void TMainForm::btnCpkCalcClick()
{
    const ResultsNotice notice(*this);
    ui::BusyCursor busy;
    btnSpecJudgClick();
    if (pnlSpecJudg->text().isEmpty()) return;
    if (cmbLimit->currentIndex() == 0) btn3StdevClick();
    else if (judge::anyLimitBlank(controlLimitTexts())) return;
    SaveSheet(tabCtrl->currentIndex());
    capabilityJudged = true;
    spcJudged = false;

    judge::CapabilitySettings settings;
    settings.limits = judge::readSpecLimits(judge::specKindFromIndex(cmbSpecKind->currentIndex()),
                                            editKupper->text(), editKlower->text());
    settings.chart = judge::chartKindFromIndex(cmbChart->currentIndex());
    settings.thresholdCheck = chkCpCpk->isChecked();
    settings.index = judge::capabilityIndexFromIndex(cmbCpCpk->currentIndex());
    settings.thresholdText = editCpCpk->text();
    const judge::CapabilityResult result = judge::judgeCapability(measurementsOf(*gridEdit, *gridCtrl), settings);

    model::CellTable& calc = gridCalc->table();
    calc.clearRows(1);
    for (size_t i = 0; i < result.rows.size(); ++i)
        for (int c = 0; c < judge::kCalcColumns; ++c) calc.setText(c, int(i) + 1, result.rows[i][size_t(c)]);
    if (result.rowCount) gridCalc->setRowCount(*result.rowCount);
    gridCalc->refresh();
    if (result.error) throw *result.error;
    showJudgement(pnlCpkJudg, result.outcome);
    gridCalc->setCurrentCell(1, 1);
}

void TMainForm::menuExecOperationClick()
{
    btnCpkCalcClick();
    pageInput->setCurrentIndex(1);
}

void TMainForm::btnSpcJudgClick()
{
    const ResultsNotice notice(*this);
    ui::BusyCursor busy;
    btnCpkCalcClick();
    if (pnlCpkJudg->text().isEmpty()) return;
    ui::ClearGridRows(*gridSpc);

    std::vector<judge::CalcRow> calcRows;
    for (int r = 1; r < gridCalc->rowCount(); ++r) {
        judge::CalcRow row;
        for (int c = 0; c < judge::kCalcColumns; ++c) row[size_t(c)] = gridCalc->cell(c, r);
        calcRows.push_back(std::move(row));
    }
    const judge::SpcResult result = judge::judgeSpc(calcRows, judge::chartKindFromIndex(cmbChart->currentIndex()),
                                                    controlLimitTexts(), settings_.rules);
    gridSpc->setRowCount(result.rowCount);
    judge::writeRows(gridSpc->table(), result);
    gridSpc->refresh();
    if (result.error) throw *result.error;
    spcJudged = true;
    showJudgement(pnlSpcJudg, result.outcome);
    gridSpc->setCurrentCell(1, 1);
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
