// Filling each report from the chart model of a full sheet (100 lots x 100 measurements): the
// template copied, the cells, chart edits and print settings written, the workbook saved. The
// window's own part (the judgement chain, the hand-over) is measured by bench_reports.
#include "CoreBench.h"
#include "chartmodel/ChartModel.h"
#include "model/DataLine.h"
#include "model/NumberText.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"
#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ResultReport.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>

namespace {

constexpr int kLots = 100;
constexpr int kMeasurements = 100;

double value(int lot, int m) { return std::round((10 + 0.04 * std::sin(lot * 1.7 + m * 2.3)) * 1000) / 1000; }

// The chart model of a full sheet judged as "SPC異常判定" judges it (made once per chart kind).
const chartmodel::ChartModel& judgedModel(judge::ChartKind kind)
{
    static std::map<judge::ChartKind, chartmodel::ChartModel> models;
    auto it = models.find(kind);
    if (it != models.end()) return it->second;
    const int n = kind == judge::ChartKind::XRs ? 1 : kMeasurements;
    model::SheetRecord record;
    record.product = QStringLiteral("シャフト ＡＢ－１２３");
    record.item = QStringLiteral("軸外径");
    record.unit = QStringLiteral("mm");
    record.specKind = QStringLiteral("公差規格");
    record.digits = QStringLiteral("3");
    record.specUpper = QStringLiteral("10.100");
    record.specLower = QStringLiteral("9.900");
    record.lotCount = kLots;
    record.measurementCount = n;
    for (int l = 1; l <= kLots; ++l) {
        QStringList cells;
        for (int m = 0; m < n; ++m) cells << model::formatFixed(value(l, m), 3);
        record.dataLines << model::writeDataLine(QStringLiteral("K%1").arg(l, 3, 10, QChar(u'0')), cells);
        record.enableFlags << QStringLiteral("1");
    }
    sheetview::SheetView view = sheetview::enterSheet(record, model::AppSettings::defaults()).view;
    view.chart = kind;
    sheetview::ChainReport report;
    const model::RuleOptions rules = model::RuleOptions::defaults();
    sheetview::judgeSpc(view, {&rules, &record}, report);
    return models.emplace(kind, chartmodel::buildChartModel(view, 10, QDateTime::currentDateTime())).first->second;
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
    const chartmodel::ChartModel& model = judgedModel(kind);
    if (!model.control.message.isEmpty()) state.SkipWithError("the sheet was not judged");
    const reports::ReportFolders folders{QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    for (auto _ : state) {
        reports::ExcelSession session;
        benchmark::DoNotOptimize(reports::fillControlChart(session, folders, QDateTime::currentDateTime(), model));
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
    const chartmodel::ChartModel& model = judgedModel(judge::ChartKind::XbarR);
    const reports::ReportFolders folders{QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    for (auto _ : state) {
        reports::ExcelSession session;
        benchmark::DoNotOptimize(reports::fillHistogram(session, folders, QDateTime::currentDateTime(), model));
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
