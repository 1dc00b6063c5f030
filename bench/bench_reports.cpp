// The three report buttons on a full sheet (100 lots x 100 measurements), on the real main
// window: from the click (judgement chain included) to the saved workbook. The desktop is
// replaced by one that opens nothing, so the hand-over itself is not measured.
#include "WindowBench.h"

#include "ui/Interaction.h"

#include <QComboBox>
#include <QDir>

namespace {

// Answers every question with "no", opens nothing.
class QuietDesktop final : public ui::Interaction {
public:
    void showMessage(QWidget*, const ui::Message&) override {}
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString folderName(QWidget*, const QString&, const QString&) override { return {}; }
    int execDialog(QDialog&) override { return 0; }
    bool openDocument(const QUrl&) override { return true; }
};

// The full sheet entered, the reports writing into a folder of their own.
TMainForm& reportWindow(const QTemporaryDir& out, int chartKind)
{
    static QuietDesktop desktop;
    ui::setInteraction(&desktop);
    TMainForm& f = benchWindow();
    fillFullSheet(f, 0);
    f.sheetStore()[0].item = QStringLiteral("外径");
    f.selectTab(0);
    f.tabCtrlChange();
    f.cmbChart->setCurrentIndex(chartKind);
    f.reportFolders = {QStringLiteral(QUORVANE_FORM_FILES), out.path()};
    return f;
}

void runReport(benchmark::State& state, void (TMainForm::*handler)(), int chartKind)
{
    QTemporaryDir out;
    TMainForm& f = reportWindow(out, chartKind);
    for (auto _ : state) {
        (f.*handler)();
        state.PauseTiming();
        QDir folder(out.path());
        const QStringList made = folder.entryList(QDir::Files);
        if (made.size() != 1) state.SkipWithError("the report made no file");
        for (const QString& name : made) folder.remove(name);
        state.ResumeTiming();
    }
}

void ControlChartXbarR(benchmark::State& state) { runReport(state, &TMainForm::btnControlChartClick, 0); }
BENCHMARK(ControlChartXbarR)->Unit(benchmark::kMillisecond);

void ControlChartXbarS(benchmark::State& state) { runReport(state, &TMainForm::btnControlChartClick, 1); }
BENCHMARK(ControlChartXbarS)->Unit(benchmark::kMillisecond);

void Histogram(benchmark::State& state) { runReport(state, &TMainForm::btnHistogramClick, 0); }
BENCHMARK(Histogram)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
