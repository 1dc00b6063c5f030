// The three report buttons on a full sheet (100 lots x 100 measurements), on the real main
// window: from the click (judgement chain included) to the saved workbook. The desktop is
// replaced by one that opens nothing, so the hand-over itself is not measured. And each report
// from a judged sheet view to the saved file, as the command line writes it: the report model
// and the fill functions alone.
#include "WindowBench.h"

#include "reports/ExcelSession.h"
#include "chartmodel/ChartModel.h"
#include "reports/ControlChartReport.h"
#include "reports/HistogramReport.h"
#include "reports/ResultReport.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"

#include <QComboBox>
#include <QDir>

#include <map>

namespace {

// The full sheet entered, the reports writing into a folder of their own.
TMainForm& reportWindow(const QTemporaryDir& out, int chartKind)
{
    static AnsweringDialogs desktop;
    ui::setInteraction(&desktop);
    TMainForm& f = benchWindow();
    fillFullSheet(f, 0);
    f.sheetStore()[0].item = QStringLiteral("外径");
    f.selectTab(0);
    f.tabCtrlChange();
    f.cmbChart->setCurrentIndex(chartKind);
    f.reportFolders = {QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    return f;
}

// Removes the one report a run made, outside the timing.
void removeMade(benchmark::State& state, const QString& path)
{
    state.PauseTiming();
    QDir folder(path);
    const QStringList made = folder.entryList(QDir::Files);
    if (made.size() != 1) state.SkipWithError("the report made no file");
    for (const QString& name : made) folder.remove(name);
    state.ResumeTiming();
}

void runReport(benchmark::State& state, void (TMainForm::*handler)(), int chartKind)
{
    QTemporaryDir out;
    TMainForm& f = reportWindow(out, chartKind);
    for (auto _ : state) {
        (f.*handler)();
        removeMade(state, out.path());
    }
}

void ControlChartXbarR(benchmark::State& state) { runReport(state, &TMainForm::btnControlChartClick, 0); }
BENCHMARK(ControlChartXbarR)->Unit(benchmark::kMillisecond);

void ControlChartXbarS(benchmark::State& state) { runReport(state, &TMainForm::btnControlChartClick, 1); }
BENCHMARK(ControlChartXbarS)->Unit(benchmark::kMillisecond);

void Histogram(benchmark::State& state) { runReport(state, &TMainForm::btnHistogramClick, 0); }
BENCHMARK(Histogram)->Unit(benchmark::kMillisecond);

void ResultWorkbook(benchmark::State& state) { runReport(state, &TMainForm::btnExcelClick, 0); }
BENCHMARK(ResultWorkbook)->Unit(benchmark::kMillisecond);

// The full sheet entered and judged without a window, as the command line judges it.
struct JudgedView {
    model::SheetRecord record;
    sheetview::SheetView view;
};

const JudgedView& judgedView(int chartKind)
{
    static std::map<int, JudgedView> views;
    auto [it, made] = views.try_emplace(chartKind);
    if (made) {
        JudgedView& j = it->second;
        TMainForm& f = benchWindow();
        fillFullSheet(f, 0);
        j.record = f.sheetStore()[0];
        j.record.item = QStringLiteral("外径");
        j.view = sheetview::enterSheet(j.record, model::AppSettings::defaults()).view;
        j.view.chart = judge::chartKindFromIndex(chartKind);
        sheetview::ChainReport report;
        const model::RuleOptions rules = model::RuleOptions::defaults();
        sheetview::judgeSpc(j.view, {&rules, &j.record}, report);
    }
    return it->second;
}

enum class Kind { Control, Histogram, Result };

void fromView(benchmark::State& state, Kind kind, int chartKind)
{
    const JudgedView& j = judgedView(chartKind);
    if (j.view.capabilityResult.isEmpty()) state.SkipWithError("the sheet has no capability result");
    QTemporaryDir out;
    const reports::ReportFolders folders{QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    for (auto _ : state) {
        const QDateTime now = QDateTime::currentDateTime();
        reports::ExcelSession session;
        const chartmodel::ChartModel model = chartmodel::buildChartModel(j.view, 10, now);
        switch (kind) {
        case Kind::Control: reports::fillControlChart(session, folders, now, model); break;
        case Kind::Histogram: reports::fillHistogram(session, folders, now, model); break;
        case Kind::Result: reports::writeResultWorkbook(session, folders, now, reports::resultGrids(j.view, j.record, model)); break;
        }
        session.endClosing();
        removeMade(state, out.path());
    }
}

void ViewToFileControlChartXbarR(benchmark::State& state) { fromView(state, Kind::Control, 0); }
BENCHMARK(ViewToFileControlChartXbarR)->Unit(benchmark::kMillisecond);

void ViewToFileControlChartXbarS(benchmark::State& state) { fromView(state, Kind::Control, 1); }
BENCHMARK(ViewToFileControlChartXbarS)->Unit(benchmark::kMillisecond);

void ViewToFileHistogram(benchmark::State& state) { fromView(state, Kind::Histogram, 0); }
BENCHMARK(ViewToFileHistogram)->Unit(benchmark::kMillisecond);

void ViewToFileResultWorkbook(benchmark::State& state) { fromView(state, Kind::Result, 0); }
BENCHMARK(ViewToFileResultWorkbook)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
