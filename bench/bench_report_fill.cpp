// Filling each report from its data on a full sheet (100 lots x 100 measurements): the
// template copied, the cells, chart edits and print settings written, the workbook saved. The
// window's own part (the judgement chain, the hand-over) is measured by bench_reports.
#include "CoreBench.h"
#include "model/NumberText.h"
#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ResultReport.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kLots = 100;
constexpr int kMeasurements = 100;

double value(int lot, int m) { return std::round((10 + 0.04 * std::sin(lot * 1.7 + m * 2.3)) * 1000) / 1000; }

reports::ReportIdentity identity()
{
    reports::ReportIdentity id;
    id.product = QStringLiteral("シャフト ＡＢ－１２３");
    id.item = QStringLiteral("軸外径");
    id.specKind = QStringLiteral("公差規格");
    id.specUpper = QStringLiteral("10.100");
    id.specLower = QStringLiteral("9.900");
    id.lotCount = kLots;
    id.measurementCount = kMeasurements;
    id.made = QDateTime::currentDateTime();
    return id;
}

// Removes what one run wrote, outside the timing.
void clear(benchmark::State& state, const QString& folder)
{
    state.PauseTiming();
    QDir dir(folder);
    if (dir.entryList(QDir::Files).size() != 1) state.SkipWithError("the report made no file");
    for (const QString& name : dir.entryList(QDir::Files)) dir.remove(name);
    state.ResumeTiming();
}

void ControlChart(benchmark::State& state, judge::ChartKind kind)
{
    QTemporaryDir out;
    reports::ControlChartData data;
    data.kind = kind;
    for (int l = 0; l < kLots; ++l) {
        double sum = 0;
        for (int m = 0; m < kMeasurements; ++m) sum += value(l, m);
        data.lots << QStringLiteral("K%1").arg(l + 1, 3, 10, QChar(u'0'));
        data.means << model::formatFixed(sum / kMeasurements, 5);
        data.dispersions << model::formatFixed(0.07 + 0.001 * (l % 7), 5);
        data.xMarked.push_back(l % 13 == 0);
        data.dispersionMarked.push_back(l % 17 == 0);
    }
    data.centre = 10;
    data.ucl = 10.01;
    data.lcl = 9.99;
    data.dispersionCentre = 0.073;
    data.dispersionUcl = 0.09;
    data.identity = identity();
    const reports::ReportFolders folders{QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    for (auto _ : state) {
        reports::ExcelSession session;
        benchmark::DoNotOptimize(reports::fillControlChart(session, folders, QDateTime::currentDateTime(), data));
        clear(state, out.path());
    }
}

void ControlChartXbarR(benchmark::State& state) { ControlChart(state, judge::ChartKind::XbarR); }
BENCHMARK(ControlChartXbarR)->Unit(benchmark::kMillisecond);
void ControlChartXbarS(benchmark::State& state) { ControlChart(state, judge::ChartKind::XbarS); }
BENCHMARK(ControlChartXbarS)->Unit(benchmark::kMillisecond);
void ControlChartXRs(benchmark::State& state) { ControlChart(state, judge::ChartKind::XRs); }
BENCHMARK(ControlChartXRs)->Unit(benchmark::kMillisecond);

void Histogram(benchmark::State& state)
{
    QTemporaryDir out;
    reports::HistogramData data;
    for (int l = 1; l <= kLots; ++l) {
        QStringList row;
        for (int m = 0; m < kMeasurements; ++m) row << model::formatFixed(value(l, m), 3);
        data.block << row;
    }
    data.numberFormat = QStringLiteral("0.000_ ");
    data.identity = identity();
    data.specUpper = 10.1;
    data.specLower = 9.9;
    for (int i = 0; i < 10; ++i) data.classTable.push_back({9.9595 + 0.009 * i, 9.9595 + 0.009 * (i + 1), 1000});
    data.study = judge::CapabilityStudy{};
    const reports::ReportFolders folders{QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    for (auto _ : state) {
        reports::ExcelSession session;
        benchmark::DoNotOptimize(reports::fillHistogram(session, folders, QDateTime::currentDateTime(), data));
        clear(state, out.path());
    }
}
BENCHMARK(Histogram)->Unit(benchmark::kMillisecond);

void ResultWorkbook(benchmark::State& state)
{
    QTemporaryDir out;
    model::CellTable cells, lots, calc;
    for (int l = 1; l <= kLots; ++l) {
        lots.setFlag(1, l, true);
        lots.setText(0, l, QStringLiteral("K%1").arg(l));
        for (int m = 0; m < kMeasurements; ++m) cells.setText(m, l, model::formatFixed(value(l, m), 3));
        for (int c = 0; c < 10; ++c) calc.setText(c, l, c == 9 ? (l % 9 ? QStringLiteral("○異常なし") : QStringLiteral("×異常あり")) : QStringLiteral("10.00000"));
    }
    model::SheetRecord record;
    record.product = QStringLiteral("シャフト ＡＢ－１２３");
    record.item = QStringLiteral("軸外径");
    record.digits = QStringLiteral("3");
    reports::ResultGrids grids;
    grids.record = &record;
    grids.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &cells, &lots, kLots + 1, kMeasurements},
                   exchange::GridBlock{exchange::GridKind::Capability, &calc, nullptr, kLots + 2, 10},
                   exchange::GridBlock{exchange::GridKind::Spc, &calc, nullptr, kLots + 1, 10}};
    grids.captions = {QStringLiteral("測定値入力＆規格判定"), QStringLiteral("CP-CPK不良率判定"), QStringLiteral("SPC異常判定(X側-R側)")};
    const reports::ReportFolders folders{QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    for (auto _ : state) {
        reports::ExcelSession session;
        benchmark::DoNotOptimize(reports::writeResultWorkbook(session, folders, QDateTime::currentDateTime(), grids));
        clear(state, out.path());
    }
}
BENCHMARK(ResultWorkbook)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runCoreBenchmarks(argc, argv); }
