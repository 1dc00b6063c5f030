// Clipboard commands and painting on the full measurement grid (100 lots x 100 measurements)
// of the real main window.
#include "WindowBench.h"
#include "ui/GridOps.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

namespace {

// The full measurement grid with the focus.
TMainForm& window()
{
    static TMainForm& form = [] () -> TMainForm& {
        TMainForm& f = benchWindow();
        f.spinRow->setValue(100);
        f.spinCol->setValue(100);
        f.gridEdit->setFocus();
        QApplication::processEvents();
        return f;
    }();
    return form;
}

QString block(int cols, int rows)
{
    QString text;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c) text += u'\t';
            text += QString::number(9.5 + ((r * 7 + c * 13) % 100) / 100.0, 'f', 3);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void fill(TMainForm& f)
{
    QApplication::clipboard()->setText(block(100, 100));
    f.gridEdit->setCurrentCell(0, 1);
    ui::GridPaste(*f.gridEdit);
}

void GridPaste100x100(benchmark::State& state)
{
    TMainForm& f = window();
    QApplication::clipboard()->setText(block(100, 100));
    f.gridEdit->setCurrentCell(0, 1);
    for (auto _ : state) benchmark::DoNotOptimize(ui::GridPaste(*f.gridEdit));
    state.counters["cells"] = 10000;
}
BENCHMARK(GridPaste100x100)->Unit(benchmark::kMillisecond);

void GridSelectAllDelete(benchmark::State& state)
{
    TMainForm& f = window();
    for (auto _ : state) {
        state.PauseTiming();
        fill(f);
        state.ResumeTiming();
        ui::GridSelectAll(*f.gridEdit);
        ui::GridDelete(*f.gridEdit);
    }
}
BENCHMARK(GridSelectAllDelete)->Unit(benchmark::kMillisecond);

// One synchronous repaint of the visible cells, out-of-spec marking on (every cell parsed
// against the limits).
void RepaintVisibleMeasurements(benchmark::State& state)
{
    TMainForm& f = window();
    fill(f);
    f.editKupper->setText("10.200");
    f.editKlower->setText("9.700");
    f.specJudged = true;
    ui::GridSelectAll(*f.gridEdit);
    f.gridEdit->setTopRow(40);
    for (auto _ : state) f.gridEdit->viewport()->repaint();
    state.counters["visibleRows"] = f.gridEdit->visibleRowCount();
}
BENCHMARK(RepaintVisibleMeasurements)->Unit(benchmark::kMillisecond);

void RepaintVisibleLots(benchmark::State& state)
{
    TMainForm& f = window();
    for (auto _ : state) f.gridCtrl->viewport()->repaint();
}
BENCHMARK(RepaintVisibleLots)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
