// The chart window after judging 100 lots x 10 measurements on the real main window:
// building the chart data from the grids, and rebuilding and repainting both charts (the
// control chart's page and the histogram's page) once the window is told that the results
// changed. Every iteration judges other values first (not timed), so the axes, labels and
// every series change as they do after a real judgement.
#include "WindowBench.h"
#include "charts/TChartForm.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QChartView>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// Two sets of values with different spread and drift.
void fillValues(TMainForm& f, int variant)
{
    unsigned seed = 12345u + unsigned(variant);
    const double spread = variant % 2 ? 0.3 : 0.2;
    for (int lot = 1; lot <= 100; ++lot)
        for (int m = 0; m < 10; ++m) {
            seed = seed * 1103515245u + 12345u;
            const double drift = lot > 60 && lot < 70 ? 0.05 * (1 + variant % 2) : 0.0;
            const double v = 10.0 + drift + spread * (double((seed >> 8) % 2001) - 1000.0) / 1000.0;
            f.gridEdit->setCell(m, lot, QString::number(v, 'f', 3));
        }
}

// The main window with a judged sheet of 100 lots, the chart window open on it.
TChartForm& judgedChartWindow()
{
    static TChartForm* charts = [] {
        TMainForm& f = benchWindow();
        f.spinRow->setValue(100);
        f.spinCol->setValue(10);
        f.editKupper->setText(QStringLiteral("10.500"));
        f.editKlower->setText(QStringLiteral("9.500"));
        fillValues(f, 0);
        f.menuExecChartViewClick();
        QApplication::processEvents();
        return f.chartForm();
    }();
    return *charts;
}

bool judged(const TChartForm& charts)
{
    return charts.charts().control.message.isEmpty() && charts.charts().histogram.message.isEmpty();
}

void BuildChartData(benchmark::State& state)
{
    TMainForm& f = benchWindow();
    judgedChartWindow();
    for (auto _ : state) benchmark::DoNotOptimize(f.chartModel(QDateTime::currentDateTime()));
}
BENCHMARK(BuildChartData)->Unit(benchmark::kMillisecond);

// Counts the paint events of the chart views, to show that the timed loop paints them.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(const TChartForm& charts)
    {
        for (QChartView* v : {charts.viewXChart, charts.viewDispersionChart, charts.viewHistogram, charts.viewStudy})
            v->viewport()->installEventFilter(this);
    }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

void RebuildAndRepaintBothChartsAfterAJudgement(benchmark::State& state)
{
    TMainForm& f = benchWindow();
    TChartForm& charts = judgedChartWindow();
    int variant = 0;
    PaintCounter counter(charts);
    int untimedPaints = 0, timedPaints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            // The judgement of other values, its notice held back until timing resumes.
            const QSignalBlocker quiet(&f);
            fillValues(f, ++variant);
            f.btnSpcJudgClick();
            charts.showPage(TChartForm::ControlChartPage);
            QApplication::processEvents();
            f.repaint(); // the main window's grids, changed by the judgement
            untimedPaints = counter.paints;
        }
        state.ResumeTiming();
        // The notice; the event loop then rebuilds both charts, lays out and paints the shown
        // control chart page.
        emit f.resultsChanged();
        QApplication::processEvents();
        // The operator turns to the histogram: laid out and painted.
        charts.showPage(TChartForm::HistogramPage);
        QApplication::processEvents();
        state.PauseTiming();
        timedPaints += counter.paints - untimedPaints;
        state.ResumeTiming();
    }
    state.counters["paints"] = benchmark::Counter(timedPaints, benchmark::Counter::kAvgIterations);
    if (!judged(charts)) state.SkipWithError("the sheet was not judged");
}
BENCHMARK(RebuildAndRepaintBothChartsAfterAJudgement)->Unit(benchmark::kMillisecond);

// The capability study page shown while a judgement changes the results: every page's data
// rebuilt (the study computed afresh, under the distribution chosen on the page: 0 the normal
// alone, 1 Box-Cox, 2 lognormal, 3 Weibull, 4 the automatic choice, which fits all four), the
// study page's chart, density and tables laid out and painted.
void RebuildAndRepaintTheStudyPageAfterAJudgement(benchmark::State& state)
{
    TMainForm& f = benchWindow();
    TChartForm& charts = judgedChartWindow();
    f.appSettings().DistributionIndex = int(state.range(0));
    charts.showPage(TChartForm::StudyPage);
    QApplication::processEvents();
    int variant = 0;
    PaintCounter counter(charts);
    int untimedPaints = 0, timedPaints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            const QSignalBlocker quiet(&f);
            fillValues(f, ++variant);
            f.btnSpcJudgClick();
            QApplication::processEvents();
            f.repaint();
            untimedPaints = counter.paints;
        }
        state.ResumeTiming();
        emit f.resultsChanged();
        QApplication::processEvents(); // the queued rebuild
        QApplication::processEvents(); // the paints it requested
        state.PauseTiming();
        timedPaints += counter.paints - untimedPaints;
        state.ResumeTiming();
    }
    state.counters["paints"] = benchmark::Counter(timedPaints, benchmark::Counter::kAvgIterations);
    if (!charts.charts().study.message.isEmpty()) state.SkipWithError("the sheet was not judged");
    else if (state.range(0) > 0 && charts.charts().study.fitted.empty()) state.SkipWithError("no distribution was fitted");
    f.appSettings().DistributionIndex = 0;
}
BENCHMARK(RebuildAndRepaintTheStudyPageAfterAJudgement)->ArgName("distribution")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
