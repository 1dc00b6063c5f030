// The main window's report handlers: the control chart, the histogram and the judgement
// result workbook. What goes into which cell is decided in src/reports, from the sheet view;
// these handlers run the judgement chain, build the chart model from the view and hand the
// filled workbook to the desktop.
#include "app/MainFormView.h"
#include "app/TMainForm.h"

#include "app/TSplashForm.h"
#include "chartmodel/ChartModel.h"
#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ReportFiles.h"
#include "reports/ResultReport.h"
#include "ui/Interaction.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>

namespace {

const QString kStatisticsBusy = QStringLiteral("Excelに統計データを展開しています。");

reports::ExcelSession::DocumentOpener desktopOpener()
{
    return [](const QString& path) { return ui::interaction().openDocument(QUrl::fromLocalFile(path)); };
}

// Without a program for the workbook the operator would see nothing at all: say where it is.
void tellWhereSaved(QWidget* parent, const reports::ExcelSession& session)
{
    if (session.lastHandedOver().isEmpty() || session.lastOpened()) return;
    ui::showMessage(parent,
                    QStringLiteral("ブックを開くアプリケーションが見つかりませんでした。\n出力したブックは次の場所に保存されています。\n\n%1")
                        .arg(QDir::toNativeSeparators(session.lastHandedOver())),
                    ui::kGuidanceCaption, ui::MessageIcon::Exclamation);
}

} // namespace

void TMainForm::chartReport(ChartReport fill)
{
    btnSpcJudgClick();
    if (pnlCpkJudg->text().isEmpty()) return;
    reports::ExcelSession session(desktopOpener());
    {
        SplashGuard busy(splash_, kStatisticsBusy);
        const QDateTime now = QDateTime::currentDateTime();
        try {
            fill(session, reportFolders, now, chartModel(now), QString());
        } catch (...) {
            reports::rethrowReportError(session);
        }
        session.endHandOver();
    }
    tellWhereSaved(this, session);
}

void TMainForm::btnControlChartClick() { chartReport(&reports::fillControlChart); }

void TMainForm::menuExecChartClick() { btnControlChartClick(); }

void TMainForm::btnHistogramClick() { chartReport(&reports::fillHistogram); }

void TMainForm::menuExecHistClick() { btnHistogramClick(); }

void TMainForm::btnExcelClick()
{
    if (!CheckRequiredFields()) return;
    btnSpcJudgClick();
    if (pnlCpkJudg->text().isEmpty()) return;
    reports::ExcelSession session(desktopOpener());
    {
        SplashGuard busy(splash_, QStringLiteral("Excelブックに出力中です。"));
        const QDateTime now = QDateTime::currentDateTime();
        // A copy of the view (the loan's storage must go back whole): the result grids point
        // into it while the workbook is written.
        sheetview::SheetView view;
        {
            const ViewLoan loan(*this, tabCtrl->currentIndex());
            view = loan.view;
        }
        // The capability judgement saved the shown sheet, so its record holds the header the view shows.
        const chartmodel::ChartModel model = chartmodel::buildChartModel(view, spinBetWeen->value(), now);
        reports::writeResultWorkbook(session, reportFolders, now, reports::resultGrids(view, store_[tabCtrl->currentIndex()], model));
        session.endHandOver();
    }
    tellWhereSaved(this, session);
}
