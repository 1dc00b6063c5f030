// The main window's side of the chart window: the three menu items, and the chart model the
// charts are drawn from. The model is built in src/chartmodel (from the view, as the reports'
// is), the drawing is in src/charts.
#include "app/MainFormView.h"
#include "app/TMainForm.h"

#include "charts/TChartForm.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QComboBox>
#include <QDateTime>
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
        chartForm_->setSource([this] { return chartModel(QDateTime::currentDateTime()); });
        connect(this, &TMainForm::resultsChanged, chartForm_, &TChartForm::invalidate);
        // The class count is read when the histogram is built.
        connect(spinBetWeen, &ui::SpinEdit::textChanged, chartForm_, &TChartForm::invalidate);
        // The study page's distribution is kept with the initial values, as the study's other choices.
        connect(chartForm_, &TChartForm::distributionChosen, this, [this](int index) { settings_.app.DistributionIndex = index; });
    }
    chartForm_->showPage(TChartForm::Page(page));
    chartForm_->show();
    chartForm_->raise();
    chartForm_->activateWindow();
}

chartmodel::ChartModel TMainForm::chartModel(const QDateTime& made)
{
    // A copy: the loan's storage goes back whole before anything is built.
    sheetview::SheetView view;
    {
        const ViewLoan loan(*this, tabCtrl->currentIndex());
        view = loan.view;
    }
    return chartmodel::buildChartModel(view, spinBetWeen->value(), made);
}

void TMainForm::saveChartBounds()
{
    if (chartForm_) settings_.chartBounds = chartForm_->bounds();
}

TChartForm* TMainForm::chartForm() const { return chartForm_; }
