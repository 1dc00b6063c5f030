// quorvane-cli as a script runs it, whole process: judging a workbook of 100 sheets x 100 lots
// x 100 measurements, writing the control chart of every sheet, and converting it to a
// workbook, against the floor of reading it (inflate and parse with no handlers, one core) and
// LibreOffice headless converting the same workbook.
#include "CoreBench.h"
#include "LibreOffice.h"
#include "PeakMemory.h"
#include "ReadFloor.h"

#include "exchange/SheetReader.h"
#include "exchange/WorkbookExport.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Workers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kSheets = 100;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// The largest workbook the program exchanges, written once.
const QString& workbook()
{
    static const QString path = [] {
        const QString p = folder().path() + QStringLiteral("/sheets.xlsx");
        model::SheetStore store;
        store.resize(kSheets, true, model::AppSettings::defaults(), 100, 100);
        for (int s = 0; s < kSheets; ++s) {
            model::SheetRecord& r = store[s];
            r.product = QStringLiteral("P-%1").arg(s + 1);
            r.item = QStringLiteral("Item%1").arg(s + 1);
            r.specUpper = QStringLiteral("10.500");
            r.specLower = QStringLiteral("9.500");
            r.enableFlags = QStringList(100, QStringLiteral("1"));
            for (int lot = 1; lot <= 100; ++lot) {
                QString line = QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0'));
                for (int m = 0; m < 100; ++m)
                    line += QStringLiteral(",%1").arg(9.5 + ((s + lot * 7 + m * 13) % 1000) / 1000.0, 0, 'f', 3);
                r.dataLines << line;
            }
        }
        spreadsheet::Application application;
        exchange::WriteWorkbookSheets(application, store).workbook.saveAs(p);
        return p;
    }();
    return path;
}

// The command measured: this build's, or another build's named by QUORVANE_BENCH_CLI (to measure
// a baseline under the same load, against the same floor).
const char* cliPath()
{
    static const char* path = [] {
        const char* other = std::getenv("QUORVANE_BENCH_CLI");
        return other && *other ? other : QUORVANE_CLI;
    }();
    return path;
}

// Seconds the command takes from start to exit; its output is discarded.
double runCli(benchmark::State& state, const QStringList& arguments, int expectedStatus)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QString::fromLocal8Bit(cliPath()), arguments);
    const bool finished = p.waitForFinished(600000);
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != expectedStatus)
        state.SkipWithError(("quorvane-cli failed: " + p.readAllStandardError().toStdString()).c_str());
    return seconds;
}

// Sheets whose lots drift fail some judgement: status 1.
QStringList judgeArguments(const QString& format)
{
    return {QStringLiteral("judge"), workbook(), QStringLiteral("--format"), format};
}

QStringList convertArguments() { return {QStringLiteral("convert"), workbook(), folder().path() + QStringLiteral("/out.xlsx")}; }

void JudgeJson(benchmark::State& state)
{
    workbook();
    for (auto _ : state) state.SetIterationTime(runCli(state, judgeArguments(QStringLiteral("json")), 1));
}

void JudgeText(benchmark::State& state)
{
    workbook();
    for (auto _ : state) state.SetIterationTime(runCli(state, judgeArguments(QStringLiteral("text")), 1));
}

// The night shift's batch: the XbarR chart of every one of the 100 sheets; with the command's
// own peak memory and processor time (all threads), which a busy machine does not inflate.
void ReportControlXbarR(benchmark::State& state)
{
    workbook();
    const QString out = folder().path() + QStringLiteral("/reports");
    QDir().mkpath(out);
    ChildRun run;
    for (auto _ : state) {
        run = runChild({cliPath(), "report", workbook().toStdString(), "--kind", "control", "--chart", "xbarr", "--out",
                        out.toStdString()});
        if (run.status != 0) state.SkipWithError("quorvane-cli report failed");
        state.SetIterationTime(run.seconds);
        QDir folder(out);
        if (folder.entryList(QDir::Files).size() != kSheets) state.SkipWithError("not one chart per sheet");
        for (const QString& name : folder.entryList(QDir::Files)) folder.remove(name);
    }
    state.counters["peak_rss_MiB"] = run.peakMiB;
    state.counters["cpu_s"] = run.cpuSeconds;
}

// The judgement against the floor of reading the same workbook, measured one after the other in
// each repetition: the command's wall time (both cores) and processor time (all threads) over the
// floor's on one core.
void JudgeAgainstReadFloor(benchmark::State& state)
{
    const std::string file = workbook().toStdString();
    FloorRun floor;
    ChildRun judge;
    for (auto _ : state) {
        floor = readFloor(file);
        if (floor.bytes == 0) state.SkipWithError("the floor could not read the workbook");
        judge = runChild({cliPath(), "judge", file, "--format", "json"});
        if (judge.status != 1) state.SkipWithError("quorvane-cli judge failed");
        state.SetIterationTime(judge.seconds);
    }
    state.counters["floor_s"] = floor.seconds;
    state.counters["floor_cpu_s"] = floor.cpuSeconds;
    state.counters["judge_s"] = judge.seconds;
    state.counters["judge_cpu_s"] = judge.cpuSeconds;
    state.counters["wall_over_floor"] = floor.seconds > 0 ? judge.seconds / floor.seconds : 0;
    state.counters["cpu_over_floor"] = floor.cpuSeconds > 0 ? judge.cpuSeconds / floor.cpuSeconds : 0;
    state.counters["judge_peak_MiB"] = judge.peakMiB;
}

// The part of the judgement that reads: the workbook's sheets read into records in this process,
// on every core, against the floor in the same repetition.
void ReadSheetsAgainstReadFloor(benchmark::State& state)
{
    const std::string file = workbook().toStdString();
    FloorRun floor;
    double seconds = 0, cpu = 0;
    for (auto _ : state) {
        floor = readFloor(file);
        if (floor.bytes == 0) state.SkipWithError("the floor could not read the workbook");
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processCpuSeconds();
        const exchange::ReadResult read = exchange::ReadSheets(exchange::ReadMode::Workbook, workbook(), spreadsheet::forEachIndex);
        cpu = processCpuSeconds() - cpuStart;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (read.records.size() != size_t(kSheets)) state.SkipWithError("not every sheet was read");
        state.SetIterationTime(seconds);
    }
    state.counters["floor_s"] = floor.seconds;
    state.counters["floor_cpu_s"] = floor.cpuSeconds;
    state.counters["read_s"] = seconds;
    state.counters["read_cpu_s"] = cpu;
    state.counters["wall_over_floor"] = floor.seconds > 0 ? seconds / floor.seconds : 0;
    state.counters["cpu_over_floor"] = floor.cpuSeconds > 0 ? cpu / floor.cpuSeconds : 0;
}

// Reading the workbook and writing it again as a workbook; with the command's own peak memory and
// processor time.
void ConvertToWorkbook(benchmark::State& state)
{
    const QStringList arguments = convertArguments();
    std::vector<std::string> command{cliPath()};
    for (const QString& a : arguments) command.push_back(a.toStdString());
    ChildRun run;
    for (auto _ : state) {
        run = runChild(command);
        if (run.status != 0) state.SkipWithError("quorvane-cli convert failed");
        state.SetIterationTime(run.seconds);
    }
    state.counters["peak_rss_MiB"] = run.peakMiB;
    state.counters["cpu_s"] = run.cpuSeconds;
}

// In one run: the judgement, the conversion and LibreOffice converting the same workbook.
void LibreOfficeConversionRatio(benchmark::State& state)
{
    workbook();
    LibreOfficeConverter libreOffice;
    double judge = 0, convert = 0, lo = 0;
    for (auto _ : state) {
        judge = runCli(state, judgeArguments(QStringLiteral("json")), 1);
        convert = runCli(state, convertArguments(), 0);
        QElapsedTimer t;
        t.start();
        if (!libreOffice.convert(workbook(), QStringLiteral("xlsx"))) state.SkipWithError("soffice failed");
        lo = static_cast<double>(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(judge + convert + lo);
    }
    state.counters["judge_s"] = judge;
    state.counters["convert_s"] = convert;
    state.counters["libreoffice_s"] = lo;
    state.counters["libreoffice_over_judge"] = judge > 0 ? lo / judge : 0;
    state.counters["libreoffice_over_convert"] = convert > 0 ? lo / convert : 0;
}

} // namespace

BENCHMARK(JudgeJson)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(JudgeText)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(JudgeAgainstReadFloor)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(ReadSheetsAgainstReadFloor)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(ReportControlXbarR)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(ConvertToWorkbook)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(LibreOfficeConversionRatio)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

int main(int argc, char** argv) { return runCoreBenchmarks(argc, argv); }
