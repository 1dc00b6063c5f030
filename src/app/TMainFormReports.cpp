// The main window's report handlers: the control chart, the histogram and the judgement
// result workbook. What goes into which cell is decided in src/reports; these handlers run the
// judgement chain, gather the grids and fields, and hand the filled workbook to the desktop.
#include "app/TMainForm.h"

#include "app/TSplashForm.h"
#include "judge/ChartData.h"
#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
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
                    QStringLiteral("ガイドメッセージ"), ui::MessageIcon::Exclamation);
}

} // namespace

void TMainForm::btnControlChartClick()
{
    btnSpcJudgClick();
    if (pnlCpkJudg->text().isEmpty()) return;
    reports::ExcelSession session(desktopOpener());
    {
        SplashGuard busy(splash_, kStatisticsBusy);
        reports::ControlChartData data = reports::controlChartData(
            gridCalc->table(), gridCalc->rowCount(), judge::chartKindFromIndex(cmbChart->currentIndex()), controlLimitTexts());
        if (judge::limitMethodFromIndex(cmbLimit->currentIndex()) == judge::LimitMethod::Standard) {
            const judge::Measurements sheet(gridEdit->table(), gridCtrl->table(), gridEdit->rowCount() - 1, gridEdit->colCount());
            if (const auto limits = judge::standardLimits(judge::usedLots(sheet), data.kind, gridEdit->colCount()))
                data.lotLimits = limits->lots;
        }
        reports::fillControlChart(session, reportFolders, QDateTime::currentDateTime(), data);
        session.endHandOver();
    }
    tellWhereSaved(this, session);
}

void TMainForm::menuExecChartClick() { btnControlChartClick(); }

void TMainForm::btnHistogramClick()
{
    btnSpcJudgClick();
    if (pnlCpkJudg->text().isEmpty()) return;
    reports::ExcelSession session(desktopOpener());
    {
        SplashGuard busy(splash_, kStatisticsBusy);
        const reports::HistogramData data = reports::histogramData(gridEdit->table(), gridCtrl->table(), gridEdit->rowCount() - 1,
                                                                   gridEdit->colCount(), spinKeta->text(), spinBetWeen->value());
        reports::fillHistogram(session, reportFolders, QDateTime::currentDateTime(), data);
        session.endHandOver();
    }
    tellWhereSaved(this, session);
}

void TMainForm::menuExecHistClick() { btnHistogramClick(); }

void TMainForm::btnExcelClick()
{
    if (!CheckRequiredFields()) return;
    btnSpcJudgClick();
    if (pnlCpkJudg->text().isEmpty()) return;
    reports::ExcelSession session(desktopOpener());
    {
        SplashGuard busy(splash_, QStringLiteral("Excelブックに出力中です。"));
        // The capability judgement saved the shown sheet, so its record holds the header the view shows.
        reports::ResultGrids results;
        results.record = &store_[tabCtrl->currentIndex()];
        results.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &gridEdit->table(), &gridCtrl->table(),
                                             gridEdit->rowCount(), gridEdit->colCount()},
                         exchange::GridBlock{exchange::GridKind::Capability, &gridCalc->table(), nullptr, gridCalc->rowCount(),
                                             gridCalc->colCount()},
                         exchange::GridBlock{exchange::GridKind::Spc, &gridSpc->table(), nullptr, gridSpc->rowCount(),
                                             gridSpc->colCount()}};
        for (int i = 0; i < 3; ++i) results.captions[size_t(i)] = pageInput->tabText(i);
        if (judge::limitMethodFromIndex(cmbLimit->currentIndex()) == judge::LimitMethod::Standard) {
            const judge::StudyChart study = chartSet().study;
            if (study.message.isEmpty()) results.study = judge::studyRows(study.table, study.normality);
        }
        reports::writeResultWorkbook(session, reportFolders, QDateTime::currentDateTime(), results);
        session.endHandOver();
    }
    tellWhereSaved(this, session);
}
