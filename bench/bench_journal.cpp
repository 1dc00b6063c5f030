// The recovery journal on a workbook of 100 full sheets (100 lots x 100 measurements each),
// in the real main window: one cell changed and journaled (the call on the GUI thread, and
// the time until the commit is on the disk), restoring the workbook, and the journal's size.
#include "WindowBench.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTabBar>
#include <algorithm>
#include <vector>

namespace {

AnsweringDialogs dialogs; // the confirmation of a restore is answered with yes

void fillWorkbook(TMainForm& f)
{
    f.spinTab->setText(QStringLiteral("100"));
    for (int s = 0; s < 100; ++s) fillFullSheet(f, s);
    f.selectTab(0);
    f.tabCtrlChange();
    f.journalNow();
    f.journalWaitIdle();
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

qint64 journalBytes()
{
    const QString path = TMainForm::journalPath();
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

void JournalCellChange(benchmark::State& state)
{
    ui::setInteraction(&dialogs);
    TMainForm& f = benchWindow();
    fillWorkbook(f);
    std::vector<double> gui, durable;
    int n = 0;
    for (auto _ : state) {
        f.gridEdit->setCell(n % 100, 1 + n / 100 % 100, QString::number(10 + n % 7));
        ++n;
        QElapsedTimer t;
        t.start();
        f.journalNow();
        const qint64 posted = t.nsecsElapsed();
        f.journalWaitIdle();
        const qint64 committed = t.nsecsElapsed();
        state.SetIterationTime(double(posted) / 1e9);
        gui.push_back(double(posted) / 1e6);
        durable.push_back(double(committed) / 1e6);
    }
    state.counters["gui_median_ms"] = percentile(gui, 0.5);
    state.counters["gui_p95_ms"] = percentile(gui, 0.95);
    state.counters["durable_median_ms"] = percentile(durable, 0.5);
    state.counters["durable_p95_ms"] = percentile(durable, 0.95);
    state.counters["journal_MB"] = double(journalBytes()) / 1e6;
}
BENCHMARK(JournalCellChange)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

// "前回終了時のデータを開く": the previous session's 100 sheets read, put into the store and
// the shown sheet entered.
void RestoreWorkbook(benchmark::State& state)
{
    ui::setInteraction(&dialogs);
    {
        TMainForm previous;
        previous.show();
        fillWorkbook(previous);
        previous.close();
    }
    TMainForm& f = benchWindow();
    for (auto _ : state) {
        f.mainMenuRestoreLastClick();
        state.PauseTiming();
        f.journalWaitIdle(); // the snapshot of what was replaced
        state.ResumeTiming();
    }
    state.counters["sheets"] = f.tabCtrl->count();
}
BENCHMARK(RestoreWorkbook)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
