// Files far larger than the sheet layout: a CSV file of 80,000 lines x 100 fields (about 56 MB)
// and a workbook whose worksheet runs to 1,000,000 rows. Read as quorvane-cli judge reads them,
// a whole process (time and the child's own peak memory), and through the import's reader in
// this process (time and the memory it adds). And streams that never end, piped into
// quorvane-cli judge /dev/stdin: lines, one line without a break, a workbook's start followed by
// zeros (the peak of the pipeline, the command being the larger of its two processes).
#include "CoreBench.h"
#include "BigInputs.h"
#include "PeakMemory.h"

#include "exchange/SheetReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

const QString& bigCsv()
{
    static const QString path = [] {
        const QString p = folder().path() + QStringLiteral("/big.csv");
        big_inputs::writeCsv(p, 80000, 100);
        return p;
    }();
    return path;
}

const QString& bigWorkbook()
{
    static const QString path = [] {
        const QString p = folder().path() + QStringLiteral("/big.xlsx");
        big_inputs::writeWorkbook(p, 1000000);
        return p;
    }();
    return path;
}

void judge(benchmark::State& state, const QString& file)
{
    ChildRun run;
    for (auto _ : state) {
        run = runChild({QUORVANE_CLI, "judge", file.toStdString()});
        // 0 or 1: judged, passed or failed.
        if (run.status != 0 && run.status != 1) state.SkipWithError("quorvane-cli failed");
        state.SetIterationTime(run.seconds);
    }
    state.counters["file_MiB"] = double(QFile(file).size()) / (1 << 20);
    state.counters["peak_rss_MiB"] = run.peakMiB;
}

void judgeEndless(benchmark::State& state, const char* writer, int expectedStatus)
{
    ChildRun run;
    for (auto _ : state) {
        run = runChild({"/bin/sh", "-c", std::string("{ ") + writer + "; } | \"$0\" judge /dev/stdin 2>/dev/null", QUORVANE_CLI});
        if (run.status != expectedStatus) state.SkipWithError("quorvane-cli did not end as expected");
        state.SetIterationTime(run.seconds);
    }
    state.counters["peak_rss_MiB"] = run.peakMiB;
}

// Read as far as the layout's rows (judged: exit 1, the lines hold no specification).
void JudgeEndlessLines(benchmark::State& state) { judgeEndless(state, "exec yes K001,1.5,2.5", 1); }
// Refused once the first rows pass the text bound.
void JudgeEndlessLine(benchmark::State& state) { judgeEndless(state, "yes 1.5, | tr -d '\\n'", 2); }
// Refused past the bound of a workbook held whole.
void JudgeEndlessWorkbook(benchmark::State& state) { judgeEndless(state, "printf 'PK\\003\\004'; exec cat /dev/zero", 2); }

void JudgeBigCsv(benchmark::State& state) { judge(state, bigCsv()); }
void JudgeBigWorkbook(benchmark::State& state) { judge(state, bigWorkbook()); }

void import(benchmark::State& state, exchange::ReadMode mode, const QString& file)
{
    double before = 0, added = 0;
    for (auto _ : state) {
        before = currentRssMiB();
        resetPeakRss();
        const exchange::ReadResult result = exchange::ReadSheets(mode, file);
        added = highWaterRssMiB() - before;
        if (result.records.empty() || result.records[0].lotCount != 100) state.SkipWithError("the import did not read 100 lots");
    }
    state.counters["added_rss_MiB"] = added;
}

void ImportBigCsv(benchmark::State& state) { import(state, exchange::ReadMode::Csv, bigCsv()); }
void ImportBigWorkbook(benchmark::State& state) { import(state, exchange::ReadMode::Workbook, bigWorkbook()); }

} // namespace

// The command runs first, while this process is still small: a forked child starts with its pages.
BENCHMARK(JudgeBigCsv)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(JudgeBigWorkbook)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(JudgeEndlessLines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(JudgeEndlessLine)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(JudgeEndlessWorkbook)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
// Once each: memory freed by one reading may stay with the process and hide the next one's.
BENCHMARK(ImportBigCsv)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ImportBigWorkbook)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    // The files are written before anything is measured.
    return runCoreBenchmarks(argc, argv, [] {
        bigCsv();
        bigWorkbook();
    });
}
