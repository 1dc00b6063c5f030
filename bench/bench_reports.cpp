// The three report buttons on a full sheet (100 lots x 100 measurements), on the real main
// window: from the click (judgement chain included) to the saved workbook. The desktop is
// replaced by one that opens nothing, so the hand-over itself is not measured.
#include "WindowBench.h"

#include <QComboBox>
#include <QDir>

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

void runReport(benchmark::State& state, void (TMainForm::*handler)(), int chartKind)
{
    QTemporaryDir out;
    TMainForm& f = reportWindow(out, chartKind);
    for (auto _ : state) {
        (f.*handler)();
        state.PauseTiming();
        QDir folder(out.path());
        const QStringList made = folder.entryList(QDir::Files);
        if (made.size() != 1) state.SkipWithError("the report made no file");
        for (const QString& name : made) folder.remove(name);
        state.ResumeTiming();
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

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
