// The main window's side of the chart window: the three menu items, and the texts of the
// grids and fields the charts are built from. The building is in src/judge, the drawing
// in src/charts.
#include "app/TMainForm.h"

#include "charts/TChartForm.h"
#include "judge/ChartData.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

void TMainForm::menuExecChartViewClick()
{
    btnSpcJudgClick();
    showChartForm(TChartForm::ControlChartPage);
}

void TMainForm::menuExecHistViewClick()
{
    btnSpcJudgClick();
    showChartForm(TChartForm::HistogramPage);
}

void TMainForm::menuExecStudyViewClick()
{
    btnSpcJudgClick();
    showChartForm(TChartForm::StudyPage);
}

void TMainForm::showChartForm(int page)
{
    if (!chartForm_) {
        chartForm_ = new TChartForm(this);
        chartForm_->applyBounds(settings_.chartBounds);
        chartForm_->setSource([this] { return chartSet(); });
        connect(this, &TMainForm::resultsChanged, chartForm_, &TChartForm::invalidate);
        // The class count is read when the histogram is built.
        connect(spinBetWeen, &ui::SpinEdit::textChanged, chartForm_, &TChartForm::invalidate);
    }
    chartForm_->showPage(TChartForm::Page(page));
    chartForm_->show();
    chartForm_->raise();
    chartForm_->activateWindow();
}

judge::ChartSet TMainForm::chartSet() const
{
    judge::ChartInput in;
    in.judged = !pnlCpkJudg->text().isEmpty();
    in.calc = &gridCalc->table();
    in.calcRowCount = gridCalc->rowCount();
    in.spc = spcJudged ? &gridSpc->table() : nullptr;
    in.limits = controlLimitTexts();
    in.chart = judge::chartKindFromIndex(cmbChart->currentIndex());
    in.method = judge::limitMethodFromIndex(cmbLimit->currentIndex());
    in.cells = &gridEdit->table();
    in.lots = &gridCtrl->table();
    in.lotCount = gridEdit->rowCount() - 1;
    in.measurementCount = gridEdit->colCount();
    in.classCount = spinBetWeen->value();
    in.specKind = judge::specKindFromIndex(cmbSpecKind->currentIndex());
    in.specUpper = editKupper->text();
    in.specLower = editKlower->text();
    in.digits = spinKeta->value();
    in.item = editLabel->text();
    in.unit = editUnit->text();
    return judge::buildCharts(in);
}

void TMainForm::saveChartBounds()
{
    if (chartForm_) settings_.chartBounds = chartForm_->bounds();
}

TChartForm* TMainForm::chartForm() const { return chartForm_; }
