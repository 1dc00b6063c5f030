// The largest workbook the program exchanges, 100 sheets of 100 lots x 100 measurements,
// exported and imported end to end through the File-menu handlers of the real main window with
// the dialogs answered; the CSV export without its pauses; and, for scale, LibreOffice headless
// converting the same workbook. Then the imports of files far larger than the sheet layout (a
// CSV file of 80,000 lines x 100 fields, a workbook of 1,000,000 rows): the memory they add to
// the window's own.
#include "BigInputs.h"
#include "LibreOffice.h"
#include "PeakMemory.h"
#include "WindowBench.h"

#include "ui/Interaction.h"
#include "ui/SpinEdit.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kSheets = 100;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString workbookPath() { return folder().path() + QStringLiteral("/sheets.xlsx"); }

AnsweringDialogs& dialogs()
{
    static AnsweringDialogs d;
    ui::setInteraction(&d);
    return d;
}

// 100 sheets of 100 lots x 100 measurements, sheet 1 shown.
TMainForm& fullWorkbookWindow()
{
    TMainForm& f = benchWindow();
    f.spinTab->setText(QString::number(kSheets));
    for (int s = 0; s < kSheets; ++s) {
        model::SheetRecord& r = f.sheetStore()[s];
        r.product = QStringLiteral("P-%1").arg(s + 1);
        r.item = QStringLiteral("Item%1").arg(s + 1);
        r.digits = QStringLiteral("3");
        r.specUpper = QStringLiteral("10.500");
        r.specLower = QStringLiteral("9.500");
        r.lotCount = 100;
        r.measurementCount = 100;
        r.enableFlags = QStringList(100, QStringLiteral("1"));
        r.dataLines.clear();
        for (int lot = 1; lot <= 100; ++lot) {
            QString line = QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0'));
            for (int m = 0; m < 100; ++m) line += QStringLiteral(",%1").arg(9.5 + ((s + lot * 7 + m * 13) % 1000) / 1000.0, 0, 'f', 3);
            r.dataLines << line;
        }
    }
    f.selectTab(0);
    f.tabCtrlChange();
    return f;
}

void run(benchmark::State& state, QAction* command, const QString& answer)
{
    dialogs().answer = answer;
    dialogs().warning.clear();
    command->trigger();
    if (!dialogs().warning.isEmpty()) state.SkipWithError(dialogs().warning.toStdString().c_str());
}

void WorkbookExport(benchmark::State& state)
{
    TMainForm& f = fullWorkbookWindow();
    for (auto _ : state) run(state, f.mainMenuXlsSave, workbookPath());
    state.counters["file_MiB"] = static_cast<double>(QFile(workbookPath()).size()) / (1 << 20);
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void WorkbookImport(benchmark::State& state)
{
    TMainForm& f = fullWorkbookWindow();
    if (!QFile::exists(workbookPath())) run(state, f.mainMenuXlsSave, workbookPath());
    for (auto _ : state) run(state, f.mainMenuXlsImport, workbookPath());
    state.counters["sheets"] = f.sheetStore().count();
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

void CsvExportWithoutPauses(benchmark::State& state)
{
    TMainForm& f = fullWorkbookWindow();
    f.csvFilePause = 0;
    const QString out = folder().path() + QStringLiteral("/csv");
    QDir().mkpath(out);
    for (auto _ : state) run(state, f.mainMenuCsvSave, out);
    f.csvFilePause = 100;
    state.counters["files"] = static_cast<double>(QDir(out).entryList(QDir::Files).size());
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

// LibreOffice headless converting the exported workbook, against our export and import of it.
void LibreOfficeConversionRatio(benchmark::State& state)
{
    TMainForm& f = fullWorkbookWindow();
    LibreOfficeConverter libreOffice;
    double lo = 0, exported = 0, imported = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        run(state, f.mainMenuXlsSave, workbookPath());
        exported = static_cast<double>(t.nsecsElapsed()) / 1e9;
        t.restart();
        if (!libreOffice.convert(workbookPath(), QStringLiteral("xlsx"))) state.SkipWithError("soffice failed");
        lo = static_cast<double>(t.nsecsElapsed()) / 1e9;
        t.restart();
        run(state, f.mainMenuXlsImport, workbookPath());
        imported = static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    state.counters["libreoffice_s"] = lo;
    state.counters["export_s"] = exported;
    state.counters["import_s"] = imported;
    state.counters["libreoffice_over_export"] = exported > 0 ? lo / exported : 0;
    state.counters["libreoffice_over_import"] = imported > 0 ? lo / imported : 0;
}

// One import of a big file into the window; the peak above the window's memory before it.
void bigImport(benchmark::State& state, QAction* command, const QString& file)
{
    double added = 0;
    for (auto _ : state) {
        const double before = currentRssMiB();
        resetPeakRss();
        run(state, command, file);
        added = highWaterRssMiB() - before;
    }
    state.counters["file_MiB"] = static_cast<double>(QFile(file).size()) / (1 << 20);
    state.counters["added_rss_MiB"] = added;
}

void BigCsvImport(benchmark::State& state)
{
    const QString file = folder().path() + QStringLiteral("/big.csv");
    if (!QFile::exists(file)) big_inputs::writeCsv(file, 80000, 100);
    bigImport(state, benchWindow().mainMenuCsvImport, file);
}

void BigWorkbookImport(benchmark::State& state)
{
    const QString file = folder().path() + QStringLiteral("/big.xlsx");
    if (!QFile::exists(file)) big_inputs::writeWorkbook(file, 1000000);
    bigImport(state, benchWindow().mainMenuXlsImport, file);
}

} // namespace

BENCHMARK(WorkbookExport)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(WorkbookImport)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(CsvExportWithoutPauses)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(LibreOfficeConversionRatio)->Unit(benchmark::kMillisecond)->Iterations(1);
// Once each: memory freed by one import may stay with the process and hide the next one's.
BENCHMARK(BigCsvImport)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BigWorkbookImport)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
