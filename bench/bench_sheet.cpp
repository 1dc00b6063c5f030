// Entering a full sheet (100 lots x 100 measurements: view reset, load, reformat of 10,000
// cells), laying out the grids of the largest sheet and the judgement chain, on the real
// main window.
#include "WindowBench.h"
#include "ui/SpinEdit.h"

#include <QTabBar>

namespace {

void EnterFullSheet(benchmark::State& state)
{
    TMainForm& f = benchWindow();
    fillFullSheet(f, 0);
    for (auto _ : state) {
        f.ResetSheetView();
        f.LoadSheet();
    }
}
BENCHMARK(EnterFullSheet)->Unit(benchmark::kMillisecond);

void ApplyGridLayoutLargest(benchmark::State& state)
{
    TMainForm& f = benchWindow();
    f.spinRow->setValue(100);
    f.spinCol->setValue(100);
    for (auto _ : state) f.ApplyGridLayout();
}
BENCHMARK(ApplyGridLayoutLargest)->Unit(benchmark::kMillisecond);

// The handler behind "SPC異常判定" on a full sheet: the whole chain with every grid filled
// (painting is not run inside the loop).
void SpcJudgementFullSheet(benchmark::State& state)
{
    TMainForm& f = benchWindow();
    fillFullSheet(f, 0);
    f.selectTab(0);
    f.tabCtrlChange();
    for (auto _ : state) f.btnSpcJudgClick();
}
BENCHMARK(SpcJudgementFullSheet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
