// Entering a full sheet (100 lots x 100 measurements: view reset, load, reformat of 10,000
// cells), laying out the grids of the largest sheet and the judgement chain, on the real
// main window.
#include "WindowBench.h"
#include "ui/SpinEdit.h"

#include <QTabBar>

namespace {

void fillFullSheet(TMainForm& f, int index)
{
    model::SheetRecord& r = f.sheetStore()[index];
    r.lotCount = 100;
    r.measurementCount = 100;
    r.digits = "3";
    r.specUpper = "10.5";
    r.specLower = "9.5";
    r.enableFlags.clear();
    r.dataLines.clear();
    for (int lot = 1; lot <= 100; ++lot) {
        QString line = QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0'));
        for (int m = 0; m < 100; ++m) line += QStringLiteral(",%1").arg(9.5 + (lot * 7 + m * 13) % 100 / 100.0);
        r.enableFlags << QStringLiteral("1");
        r.dataLines << line;
    }
}

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
