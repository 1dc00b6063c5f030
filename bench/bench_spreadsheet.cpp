// The largest workbook the program exchanges: 100 worksheets of 101 x 101 numeric texts
// (about one million cells), written and read back through the object model; the writer against
// the same XML written uncompressed plus deflated at the writer's level; and, for scale,
// LibreOffice headless converting the same file to CSV.
#include "CoreBench.h"
#include "LibreOffice.h"
#include "PeakMemory.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/Zip.h"

#include "model/NumberText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <vector>

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

void fillWorkbook(spreadsheet::Workbook& wb)
{
    for (int s = 1; s <= kSheets; ++s) wb.worksheet(s).range("A1", "CW101").setValues(block());
}

void writeWorkbook(const QString& path)
{
    spreadsheet::Application app;
    app.setSheetsInNewWorkbook(kSheets);
    spreadsheet::Workbook wb = app.addWorkbook();
    fillWorkbook(wb);
    wb.saveAs(path);
}

// Raw deflate as the writer's zip entries hold it (level 1, the zip library's window and memory).
size_t deflatedSize(const QByteArray& data, std::vector<unsigned char>& out)
{
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    out.resize(deflateBound(&z, uLong(data.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    const size_t n = z.total_out;
    deflateEnd(&z);
    return n;
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

// Saving the filled workbook (cells to XML to a deflated package), and in the same repetition the
// same parts written uncompressed to a file plus deflated at the same level, one after the other
// on one core: the writer's cost over the least any writer of that XML pays.
void BM_WriterAgainstReference(benchmark::State& state)
{
    if (!QFile::exists(workbookPath())) writeWorkbook(workbookPath());
    QFile saved(workbookPath());
    saved.open(QIODevice::ReadOnly);
    const std::vector<spreadsheet::ZipEntry> parts = spreadsheet::readZip(saved.readAll());
    const QString copy = folder().path() + QStringLiteral("/written.xlsx");
    const QString plain = folder().path() + QStringLiteral("/plain.xml");
    std::vector<unsigned char> deflated;
    double writer = 0, reference = 0, writerCpu = 0, referenceCpu = 0;
    for (auto _ : state) {
        spreadsheet::Application app;
        app.setSheetsInNewWorkbook(kSheets);
        spreadsheet::Workbook wb = app.addWorkbook();
        fillWorkbook(wb);
        QElapsedTimer t;
        t.start();
        double cpu = processCpuSeconds();
        wb.saveAs(copy);
        writer = double(t.nsecsElapsed()) / 1e9;
        writerCpu = processCpuSeconds() - cpu;
        t.restart();
        cpu = processCpuSeconds();
        QFile out(plain);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        size_t packed = 0;
        for (const spreadsheet::ZipEntry& e : parts) {
            out.write(e.data);
            packed += deflatedSize(e.data, deflated);
        }
        out.close();
        benchmark::DoNotOptimize(packed);
        reference = double(t.nsecsElapsed()) / 1e9;
        referenceCpu = processCpuSeconds() - cpu;
        state.SetIterationTime(writer);
    }
    state.counters["writer_s"] = writer;
    state.counters["reference_s"] = reference;
    state.counters["writer_over_reference"] = reference > 0 ? writer / reference : 0;
    state.counters["writer_cpu_over_reference"] = referenceCpu > 0 ? writerCpu / referenceCpu : 0;
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
BENCHMARK(BM_WriterAgainstReference)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LibreOfficeToCsvRatio)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return runCoreBenchmarks(argc, argv); }
