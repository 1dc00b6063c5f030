// The largest workbook the program exchanges: 100 worksheets of 101 x 101 numeric texts
// (about one million cells), written and read back through the object model; and, for scale,
// LibreOffice headless converting the same file to CSV.
#include "CoreBench.h"
#include "LibreOffice.h"
#include "PeakMemory.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"

#include "model/NumberText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSheets = 100;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString workbookPath() { return folder().path() + QStringLiteral("/million.xlsx"); }

// One worksheet's block: lot numbers in column A, measurements with three decimals.
const QList<QStringList>& block()
{
    static const QList<QStringList> rows = [] {
        QList<QStringList> r;
        for (int i = 0; i < 101; ++i) {
            QStringList row;
            row << QStringLiteral("%1").arg(i + 1);
            for (int c = 1; c < 101; ++c) row << model::formatFixed(10.0 + (i * 101 + c) * 0.001, 3);
            r << row;
        }
        return r;
    }();
    return rows;
}

void writeWorkbook(const QString& path)
{
    spreadsheet::Application app;
    app.setSheetsInNewWorkbook(kSheets);
    spreadsheet::Workbook wb = app.addWorkbook();
    for (int s = 1; s <= kSheets; ++s) wb.worksheet(s).range("A1", "CW101").setValues(block());
    wb.saveAs(path);
}

long long readWorkbook(const QString& path)
{
    spreadsheet::Application app;
    spreadsheet::Workbook wb = app.openWorkbook(path);
    long long chars = 0;
    for (int s = 1; s <= wb.worksheetCount(); ++s)
        for (const QStringList& row : wb.worksheet(s).range("A1", "CW101").values())
            for (const QString& t : row) chars += t.size();
    return chars;
}

void BM_WriteMillionCells(benchmark::State& state)
{
    for (auto _ : state) writeWorkbook(workbookPath());
    state.counters["file_MiB"] = static_cast<double>(QFile(workbookPath()).size()) / (1 << 20);
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void BM_ReadMillionCells(benchmark::State& state)
{
    if (!QFile::exists(workbookPath())) writeWorkbook(workbookPath());
    long long chars = 0;
    for (auto _ : state) chars = readWorkbook(workbookPath());
    state.counters["chars"] = static_cast<double>(chars);
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

// LibreOffice headless converting the same workbook to CSV, against our own read of it.
void BM_LibreOfficeToCsvRatio(benchmark::State& state)
{
    if (!QFile::exists(workbookPath())) writeWorkbook(workbookPath());
    LibreOfficeConverter libreOffice;
    double lo = 0, ours = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        if (!libreOffice.convert(workbookPath(), QStringLiteral("csv"))) state.SkipWithError("soffice failed");
        lo = static_cast<double>(t.nsecsElapsed()) / 1e9;
        t.restart();
        benchmark::DoNotOptimize(readWorkbook(workbookPath()));
        ours = static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    state.counters["libreoffice_s"] = lo;
    state.counters["engine_read_s"] = ours;
    state.counters["libreoffice_over_engine"] = ours > 0 ? lo / ours : 0;
}

} // namespace

BENCHMARK(BM_WriteMillionCells)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadMillionCells)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LibreOfficeToCsvRatio)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return runCoreBenchmarks(argc, argv); }
