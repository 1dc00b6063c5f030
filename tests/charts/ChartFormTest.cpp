// The chart window in the real main window: opened after a judgement, in step with every
// judgement and sheet change, and its output.
#include "MainFormFixture.h"
#include "TestSupport.h"

#include "charts/ChartStyle.h"
#include "charts/TChartForm.h"

#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStackedWidget>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <cmath>
#include <QProcess>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <QToolTip>
#include <QXYSeries>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLegend>
#include <QLegendMarker>
#include <QScrollBar>
#include <functional>
#include <map>

namespace {

bool isMarkedRed(const QColor& c) { return c == QColor(255, 0, 0); }

int redPixels(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (isMarkedRed(img.pixelColor(x, y))) ++n;
    return n;
}

// Where a lot's point lies in the view's viewport.
QPoint pointInView(QChartView* view, int lotIndex, double value)
{
    QChart* chart = view->chart();
    const QPointF scene = chart->mapToScene(chart->mapToPosition(QPointF(lotIndex, value), chart->series().first()));
    return view->mapFromScene(scene);
}

// The print dialog's answer: print onto a PDF file at `path`.
std::function<int(QDialog&)> printToPdf(const QString& path)
{
    return [path](QDialog& d) {
        auto& dialog = dynamic_cast<QPrintDialog&>(d);
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(path);
        return int(QDialog::Accepted);
    };
}

} // namespace

class ChartFormTest : public MainFormTest {
protected:
    void SetUp() override
    {
        startSmallSheet();
        // Means rise over lots 1 to 7: rule ③ marks lot 7 on the X side.
        for (int r = 1; r <= 10; ++r) {
            const double m = r <= 7 ? 9.9 + 0.03 * r : 10.0;
            const double d = 0.01 * ((r * 7) % 5 + 1);
            values(r, {m - d, m, m + d});
        }
    }
    void values(int row, std::initializer_list<double> vs)
    {
        int c = 0;
        for (double v : vs) form->gridEdit->setCell(c++, row, QString::number(v, 'f', 3));
    }
    TChartForm* charts() const { return form->chartForm(); }
    // Right-skewed values, as a roughness is: dense at the low end, a long upper tail.
    QJsonArray typeSkewedValues()
    {
        form->editKupper->setText("4.000");
        form->editKlower->setText("0.100");
        QJsonArray typed;
        for (int k = 0; k < 30; ++k) {
            const QString v = QString::number(0.5 + 0.05 * k + 0.002 * k * k, 'f', 3);
            form->gridEdit->setCell(k % 3, k * 7 % 10 + 1, v);
            typed.append(v.toDouble());
        }
        return typed;
    }
    void settle() { QApplication::processEvents(); }
    bool showsPrompt() const
    {
        return charts()->stackControl->currentIndex() == 1 && charts()->stackHistogram->currentIndex() == 1 &&
               charts()->lblControlMessage->text() == "判定を実行してください。" &&
               charts()->lblHistogramMessage->text() == "判定を実行してください。";
    }
    // True when the lot's point is drawn in the anomaly red, checked at its centre.
    bool drawnRed(QChartView* view, const QImage& img, int lotRow, int valueColumn)
    {
        const QPoint at = pointInView(view, lotRow - 1, form->gridCalc->cell(valueColumn, lotRow).toDouble());
        return isMarkedRed(img.pixelColor(at));
    }
};

TEST_F(ChartFormTest, TheMenuItemsAreAppendedToTheExecuteMenu)
{
    QStringList menus, execute;
    for (QAction* m : form->menuBar()->actions()) {
        menus << m->text();
        if (m->text() == "実行(&E)")
            for (QAction* a : m->menu()->actions()) execute << (a->isSeparator() ? QString("-") : a->text());
    }
    EXPECT_EQ(menus, (QStringList{"ファイル(&F)", "設定(&S)", "実行(&E)", "ヘルプ(&H)"}));
    EXPECT_EQ(execute, (QStringList{"規格判定(&K)", "CP-CPK不良率判定(&O)", "SPC異常判定(&S)", "-", "管理図作成(&C)",
                                    "ヒストグラム作成(&H)", "-", "管理図の表示(&G)", "ヒストグラムの表示(&T)",
                                    "工程能力分析の表示(&A)"}));
    EXPECT_EQ(form->pageInput->count(), 3);
}

TEST_F(ChartFormTest, MarkedLotsAreDrawnRedAfterTheJudgementTheMenuRuns)
{
    form->menuExecChartView->trigger();
    settle();
    ASSERT_TRUE(charts() && charts()->isVisible());
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->pnlSpcJudg->text(), "不合格");
    EXPECT_EQ(charts()->pageCharts->currentIndex(), 0);
    ASSERT_EQ(charts()->stackControl->currentIndex(), 0);
    EXPECT_EQ(charts()->viewXChart->chart()->title(), "Sheet1　X管理図");
    EXPECT_EQ(charts()->viewDispersionChart->chart()->title(), "Sheet1　R管理図");

    const QImage img = charts()->viewXChart->viewport()->grab().toImage();
    const QImage dispersion = charts()->viewDispersionChart->viewport()->grab().toImage();
    int marked = 0;
    for (int r = 1; r <= 10; ++r) {
        bool xMarked = false, rMarked = false;
        for (int c = 1; c <= 8; ++c) xMarked = xMarked || form->gridSpc->cell(c, r) == "×";
        for (int c = 9; c <= 16; ++c) rMarked = rMarked || form->gridSpc->cell(c, r) == "×";
        EXPECT_EQ(drawnRed(charts()->viewXChart, img, r, 4), xMarked) << "lot " << r;
        EXPECT_EQ(drawnRed(charts()->viewDispersionChart, dispersion, r, 5), rMarked) << "lot " << r;
        marked += xMarked;
    }
    EXPECT_EQ(form->gridSpc->cell(3, 7), "×"); // rule ③ on lot 7
    EXPECT_GE(marked, 1);

    // Pointing at the marked point names its rules.
    const QPoint at = pointInView(charts()->viewXChart, 6, form->gridCalc->cell(4, 7).toDouble());
    QWidget* viewport = charts()->viewXChart->viewport();
    for (QPoint p : {at + QPoint(0, 30), at}) {
        QMouseEvent move(QEvent::MouseMove, p, viewport->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    settle();
    EXPECT_TRUE(QToolTip::text().contains("K007")) << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains("異常判定ルール：③")) << QToolTip::text().toStdString();

    // A capability judgement alone rebuilds the result grid: the SPC grid's marks no longer
    // belong to it and are not drawn.
    QTest::mouseClick(form->btnCpkCalc, Qt::LeftButton);
    settle();
    ASSERT_EQ(charts()->stackControl->currentIndex(), 0);
    EXPECT_EQ(redPixels(charts()->viewXChart->viewport()->grab().toImage()), 0);
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    settle();
    EXPECT_GT(redPixels(charts()->viewXChart->viewport()->grab().toImage()), 20);
}

TEST_F(ChartFormTest, ASheetChangeWithoutAJudgementShowsThePrompt)
{
    form->menuExecHistView->trigger();
    settle();
    ASSERT_TRUE(charts()->isVisible());
    EXPECT_EQ(charts()->pageCharts->currentIndex(), 1);
    EXPECT_EQ(charts()->stackHistogram->currentIndex(), 0);
    EXPECT_TRUE(charts()->btnSave->isEnabled());

    clickTab(1);
    settle();
    EXPECT_TRUE(showsPrompt());
    EXPECT_FALSE(charts()->btnSave->isEnabled());
    EXPECT_EQ(redPixels(charts()->grab().toImage()), 0);

    // Back on the judged sheet its results were cleared on entering it: still the prompt,
    // until the operator judges again.
    clickTab(0);
    settle();
    EXPECT_TRUE(showsPrompt());
    form->pageInput->setCurrentIndex(2);
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    settle();
    EXPECT_EQ(charts()->stackControl->currentIndex(), 0);
    EXPECT_EQ(charts()->stackHistogram->currentIndex(), 0);

    // The clear button empties the results too.
    QTest::mouseClick(form->btnSpecClear, Qt::LeftButton);
    settle();
    EXPECT_TRUE(showsPrompt());
}

TEST_F(ChartFormTest, TheHistogramFollowsTheClassCountAndTheEnabledLots)
{
    form->menuExecHistView->trigger();
    settle();
    const chartmodel::Histogram& h = charts()->charts().histogram;
    ASSERT_TRUE(h.message.isEmpty());
    EXPECT_EQ(h.classes.size(), 10u);
    int total = 0;
    for (const judge::HistogramClass& c : h.classes) total += c.count;
    EXPECT_EQ(total, 30);
    EXPECT_TRUE(charts()->viewHistogram->chart()->title().contains("CPK (全体σ) = " + form->gridCalc->cell(8, 11)));

    form->spinBetWeen->setValue(6);
    settle();
    EXPECT_EQ(charts()->charts().histogram.classes.size(), 6u);

    // Disabling a lot changes nothing until the next judgement, which leaves it out.
    form->gridCtrl->table().setFlag(1, 2, false);
    settle();
    form->btnSpcJudgClick();
    settle();
    total = 0;
    for (const judge::HistogramClass& c : charts()->charts().histogram.classes) total += c.count;
    EXPECT_EQ(total, 27);
}

TEST_F(ChartFormTest, CopySaveAndPrintTheShownChart)
{
    form->menuExecChartView->trigger();
    settle();
    QTemporaryDir dir;

    QTest::mouseClick(charts()->btnCopy, Qt::LeftButton);
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_FALSE(copied.isNull());
    EXPECT_GT(redPixels(copied), 20);

    ui.fileAnswers = {dir.filePath("管理図.png"), dir.filePath("chart"), dir.filePath("chart.PDF"), ""};
    for (int i = 0; i < 4; ++i) QTest::mouseClick(charts()->btnSave, Qt::LeftButton);
    EXPECT_EQ(ui.fileDialogTitles, QStringList(4, "管理図の保存"));
    const QImage png(dir.filePath("管理図.png"));
    ASSERT_FALSE(png.isNull());
    const QSize page = charts()->stackControl->size();
    EXPECT_NEAR(png.width(), 2 * page.width(), 4);
    // Above the charts, the lines that say what they show.
    EXPECT_GT(png.height(), 2 * page.height() + 40);
    EXPECT_GT(redPixels(png), 40);
    EXPECT_FALSE(QImage(dir.filePath("chart.png")).isNull()); // no suffix: PNG
    QFile pdf(dir.filePath("chart.PDF"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_GT(pdf.size(), 5000);
    // The saved page names the product, the tolerance limits, the limits' method and the program
    // that made it (words whose glyphs the PDF's text layer maps back; digits it does not).
    QProcess text;
    text.start("pdftotext", {dir.filePath("chart.PDF"), "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"品種名称：", "測定単位：MM", "公差規格", "管理限界値：３シグマ法", "Quorvane"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(expected))) << expected << "\n" << words.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3); // the cancelled dialog wrote nothing
    EXPECT_TRUE(ui.messages.isEmpty());

    // A folder that does not exist: a warning, nothing written.
    ui.fileAnswers = {dir.filePath("missing/chart.png")};
    QTest::mouseClick(charts()->btnSave, Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, "警告メッセージ");
    EXPECT_EQ(ui.messages[0].text, "ファイルを保存できませんでした。\n" + QDir::toNativeSeparators(dir.filePath("missing/chart.png"))
                                       + "：フォルダが見つかりません");

    // Printing through the print dialog, here onto a PDF file.
    const QString printed = dir.filePath("printed.pdf");
    ui.dialogScripts.push_back(printToPdf(printed));
    charts()->pageCharts->setCurrentIndex(1);
    QTest::mouseClick(charts()->btnPrint, Qt::LeftButton);
    EXPECT_TRUE(ui.dialogScripts.empty());
    EXPECT_GT(QFileInfo(printed).size(), 5000);
}

TEST_F(ChartFormTest, TheWindowsBoundsAreKeptBesideTheMainWindows)
{
    form->menuExecChartView->trigger();
    settle();
    charts()->setGeometry(30, 40, 700, 500);
    form->close();
    form.reset();
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
        EXPECT_EQ(raw.value("Windows/ChartLeft").toString(), "30");
        EXPECT_EQ(raw.value("Windows/ChartTop").toString(), "40");
        EXPECT_EQ(raw.value("Windows/ChartHeight").toString(), "500");
        EXPECT_EQ(raw.value("Windows/ChartWidth").toString(), "700");
        EXPECT_EQ(raw.value("Windows/Width").toString(), "950");
    }
    start();
    form->menuExecChartView->trigger();
    settle();
    EXPECT_EQ(charts()->geometry(), QRect(30, 40, 700, 500));

    // A position on no screen (a monitor that is gone) is not used.
    form->close();
    form.reset();
    {
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
        stored.setValue("Windows/ChartLeft", "-5000");
    }
    start();
    form->menuExecChartView->trigger();
    settle();
    EXPECT_TRUE(charts()->screen()->availableGeometry().intersects(charts()->geometry()));
    EXPECT_EQ(charts()->width(), 700);
}

TEST_F(ChartFormTest, TheCapabilityStudyPageShowsBothCurvesAndTheTable)
{
    chooseMenuItem(form->menuExecStudyView);
    settle();
    ASSERT_TRUE(charts());
    EXPECT_EQ(charts()->pageCharts->currentIndex(), int(TChartForm::StudyPage));
    EXPECT_EQ(charts()->pageCharts->tabText(2), "工程能力分析");
    ASSERT_EQ(charts()->stackStudy->currentIndex(), 0);

    // Every lot is m − d, m, m + d: its range is 2d, so sigma within (R̄/d2 under XbarR) is
    // the mean of 2d over d2(3) = 1.69256875; tolerance 9.5 to 10.5.
    double ranges = 0;
    for (int r = 1; r <= 10; ++r) ranges += 2 * 0.01 * ((r * 7) % 5 + 1);
    const double within = ranges / 10 / 1.69256875;
    QTableWidget* table = charts()->tblStudy;
    auto valueOf = [table](const QString& label) {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 0)->text() == label) return table->item(r, 1)->text();
        return QString();
    };
    EXPECT_EQ(valueOf("Cp (群内)"), QString::number(1 / (6 * within), 'f', 3));
    // The overall figures are the statistics grid's CP and CPK.
    EXPECT_EQ(valueOf("Pp (全体)"), form->gridCalc->cell(7, 11));
    EXPECT_EQ(valueOf("Ppk (全体)"), form->gridCalc->cell(8, 11));
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "95%信頼区間");
    EXPECT_EQ(charts()->lblNormality->text().isEmpty(), false);

    // Two normal curves, the within one dashed.
    int solid = 0, dashed = 0;
    for (QAbstractSeries* series : charts()->viewStudy->chart()->series()) {
        auto* line = qobject_cast<QXYSeries*>(series);
        if (!line || !line->isVisible() || line->count() < 100) continue;
        (line->pen().style() == Qt::DashLine ? dashed : solid)++;
    }
    EXPECT_EQ(solid, 1);
    EXPECT_EQ(dashed, 1);

    // What is copied (saved, printed) is the whole page: the table beside the chart included.
    QTest::mouseClick(charts()->btnCopy, Qt::LeftButton);
    const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(copied.isNull());
    const QRect chart = charts()->viewStudy->geometry();
    const QRect page = chart.united(table->geometry()).united(charts()->lblNormality->geometry());
    const qreal scale = charts()->devicePixelRatioF();
    EXPECT_NEAR(copied.width(), page.width() * scale, 2);
    int inked = 0; // pixels that are not white where the table lies
    for (int y = 0; y < copied.height(); ++y)
        for (int x = int((table->x() - page.x()) * scale); x < copied.width(); ++x)
            inked += qGray(copied.pixel(x, y)) < 128;
    EXPECT_GT(inked, 500);
}

TEST_F(ChartFormTest, UnderTheChartConstantsTheLimitsAreStepsOfEachLotsSize)
{
    form->gridEdit->setCell(2, 3, ""); // lot 3 holds two values: wider limits
    form->cmbLimit->setCurrentIndex(2);
    form->cmbLimitChange();
    form->menuExecChartView->trigger();
    settle();
    auto guide = [](QChartView* view, const QString& prefix) -> QXYSeries* {
        for (QAbstractSeries* s : view->chart()->series())
            if (s->isVisible() && s->name().startsWith(prefix)) return qobject_cast<QXYSeries*>(s);
        return nullptr;
    };
    QXYSeries* ucl = guide(charts()->viewXChart, "UCL = " + form->editUcl->text());
    ASSERT_TRUE(ucl);
    ASSERT_EQ(ucl->count(), 20); // both ends of every lot
    EXPECT_EQ(ucl->at(0).y(), ucl->at(2).y());
    EXPECT_GT(ucl->at(4).y(), ucl->at(2).y()); // lot 3: 3σ/√2 instead of 3σ/√3
    EXPECT_NEAR(ucl->at(2).y(), form->editUcl->text().toDouble(), 5e-6);
    QXYSeries* rangeCentre = guide(charts()->viewDispersionChart, "CL = ");
    ASSERT_TRUE(rangeCentre);
    EXPECT_LT(rangeCentre->at(4).y(), rangeCentre->at(2).y()); // d2(2) < d2(3)
    EXPECT_FALSE(guide(charts()->viewXChart, "+1σ")); // each lot has its own zones
}

namespace {

// The texts a chart's legend shows, as they are painted (cut short texts end in "...").
QStringList legendTexts(QChart* chart)
{
    QStringList texts;
    std::function<void(QGraphicsItem*)> walk = [&](QGraphicsItem* item) {
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && item->isVisible()) texts << text->toPlainText();
        for (QGraphicsItem* child : item->childItems()) walk(child);
    };
    walk(chart->legend());
    return texts;
}

// The pens of the line swatches a legend paints beside the names.
QList<QPen> legendStrokes(QChart* chart)
{
    QList<QPen> pens;
    std::function<void(QGraphicsItem*)> walk = [&](QGraphicsItem* item) {
        if (auto* line = dynamic_cast<QGraphicsLineItem*>(item); line && item->isVisible()) pens << line->pen();
        if (auto* path = dynamic_cast<QGraphicsPathItem*>(item); path && item->isVisible()) pens << path->pen();
        for (QGraphicsItem* child : item->childItems()) walk(child);
    };
    walk(chart->legend());
    return pens;
}

} // namespace

TEST_F(ChartFormTest, TheStudyPageShowsItsLegendAndItsIntervalsWholeAndTellsTheCurvesApart)
{
    chooseMenuItem(form->menuExecStudyView);
    settle();
    ASSERT_EQ(charts()->stackStudy->currentIndex(), 0);
    EXPECT_EQ(charts()->size(), QSize(960, 720)); // the window's size when none is stored

    // Every name of the legend is painted whole.
    QChart* chart = charts()->viewStudy->chart();
    const QStringList shown = legendTexts(chart);
    QStringList names;
    for (QAbstractSeries* s : chart->series())
        for (QLegendMarker* m : chart->legend()->markers(s))
            if (m->isVisible()) names << m->label();
    ASSERT_GE(names.size(), 5);
    for (const QString& name : names) EXPECT_TRUE(shown.contains(name)) << name.toStdString() << " | " << shown.join(" | ").toStdString();
    // The two normal curves in the legend: one solid, one dashed stroke in the curve's colour.
    int solid = 0, dashed = 0;
    for (const QPen& pen : legendStrokes(chart)) {
        if (pen.color() != charts::kCurveColor) continue;
        (pen.style() == Qt::DashLine ? dashed : solid)++;
    }
    EXPECT_EQ(solid, 1);
    EXPECT_EQ(dashed, 1);

    // The table's columns fit: nothing to scroll sideways, the intervals not cut.
    QTableWidget* table = charts()->tblStudy;
    EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(table->columnWidth(2), table->horizontalHeader()->sectionSizeHint(2));
    for (int r = 0; r < table->rowCount(); ++r)
        EXPECT_GE(table->columnWidth(2), table->fontMetrics().horizontalAdvance(table->item(r, 2)->text())) << r;
}

TEST_F(ChartFormTest, BothControlChartsPutALotAtTheSameX)
{
    form->menuExecChartView->trigger();
    settle();
    ASSERT_EQ(charts()->stackControl->currentIndex(), 0);
    // Values of very different widths on the two value axes.
    auto xOf = [&](QChartView* view, int lot) {
        QChart* chart = view->chart();
        return view->mapFromScene(chart->mapToScene(chart->mapToPosition(QPointF(lot, 0), chart->series().first()))).x();
    };
    for (QSize size : {QSize(960, 720), QSize(700, 500)}) {
        charts()->resize(size);
        settle();
        for (int lot : {0, 9}) EXPECT_NEAR(xOf(charts()->viewXChart, lot), xOf(charts()->viewDispersionChart, lot), 1.0) << lot;
        EXPECT_NEAR(charts()->viewXChart->chart()->plotArea().width(), charts()->viewDispersionChart->chart()->plotArea().width(), 1.0);
        // The values' labels are whole, fewer where the charts are short.
        for (QChartView* view : {charts()->viewXChart, charts()->viewDispersionChart})
            for (QAbstractAxis* axis : view->chart()->axes(Qt::Vertical)) EXPECT_FALSE(axis->labelsTruncated()) << size.width();
    }
}

namespace {

// The density scipy gives each distribution fitted to `values` on the curve's points, scaled to
// the counts (N × class width): the lognormal by its closed form, the Weibull by scipy's own
// maximum likelihood, Box-Cox by its λ of greatest likelihood.
const char* const kScipyDensities = R"(
import json, sys
import numpy as np
from scipy import stats
d = json.loads(sys.argv[1])
v = np.array(d["values"])
scale = len(v) * d["width"]
out = {}
x = np.array(d["x"]["lognormal"])
logs = np.log(v)
out["lognormal"] = scale * stats.lognorm.pdf(x, logs.std(ddof=0), scale=np.exp(logs.mean()))
x = np.array(d["x"]["weibull"])
shape, _, size = stats.weibull_min.fit(v, floc=0, method="MLE")
out["weibull"] = scale * stats.weibull_min.pdf(x, shape, scale=size)
x = np.array(d["x"]["boxcox"])
lam = stats.boxcox_normmax(v, method="mle")
y = stats.boxcox(v, lam)
pos = np.where(x > 0, x, 1.0)
out["boxcox"] = np.where(x > 0, scale * stats.norm.pdf(stats.boxcox(pos, lam), y.mean(), y.std(ddof=1)) * pos ** (lam - 1), 0.0)
print(json.dumps({k: list(map(float, c)) for k, c in out.items()}))
)";

} // namespace

TEST_F(ChartFormTest, TheStudyPageFitsTheChosenDistributionDrawsItsDensityAndKeepsTheChoice)
{
    const QJsonArray typed = typeSkewedValues();
    chooseMenuItem(form->menuExecStudyView);
    settle();
    ASSERT_EQ(charts()->stackStudy->currentIndex(), 0);
    EXPECT_EQ(charts()->cmbDistribution->currentText(), "正規分布");
    EXPECT_TRUE(charts()->tblStudyFit->isHidden());

    auto fittedSeries = [&]() -> QXYSeries* {
        for (QAbstractSeries* s : charts()->viewStudy->chart()->series())
            if (auto* line = qobject_cast<QXYSeries*>(s); line && line->isVisible() && line->name().endsWith("(当てはめ)")) return line;
        return nullptr;
    };
    auto fitted = [&](int row) {
        QTableWidget* t = charts()->tblStudyFit;
        const int rows = t->rowCount();
        return t->item(row % rows, row / rows * 2)->text() + '=' + t->item(row % rows, row / rows * 2 + 1)->text();
    };
    EXPECT_FALSE(fittedSeries());

    // Each choice re-studies at once and draws the fitted density, dotted in its own colour.
    QJsonObject xs;
    std::map<QString, QList<QPointF>> drawn;
    const std::pair<const char*, const char*> choices[] = {{"対数正規分布", "lognormal"}, {"ワイブル分布", "weibull"}, {"Box-Cox変換", "boxcox"}};
    for (const auto& [item, key] : choices) {
        choose(charts()->cmbDistribution, item);
        settle();
        EXPECT_EQ(form->appSettings().DistributionIndex, charts()->cmbDistribution->currentIndex());
        ASSERT_FALSE(charts()->tblStudyFit->isHidden()) << item;
        EXPECT_EQ(fitted(0), QString("分布=") + item);
        QXYSeries* density = fittedSeries();
        ASSERT_TRUE(density) << item;
        EXPECT_EQ(density->name(), QString(item) + " (当てはめ)");
        EXPECT_EQ(density->pen().style(), Qt::DotLine);
        EXPECT_EQ(density->pen().color(), charts::kFittedColor);
        drawn[key] = density->points();
        QJsonArray x;
        for (const QPointF& p : drawn[key]) x.append(p.x());
        xs[key] = x;
    }
    const chartmodel::Histogram& h = charts()->charts().study.histogram;
    const double width = h.classes.front().upper - h.classes.front().lower;
    const QJsonObject expected = QJsonDocument::fromJson(testing_support::run(testing_support::python(),
        {"-c", kScipyDensities, QString::fromUtf8(QJsonDocument(QJsonObject{{"values", typed}, {"width", width}, {"x", xs}}).toJson(QJsonDocument::Compact))})).object();
    for (const auto& [key, points] : drawn) {
        const QJsonArray scipy = expected[key].toArray();
        ASSERT_EQ(scipy.size(), points.size()) << key.toStdString();
        double top = 0;
        for (const QPointF& p : points) top = std::max(top, p.y());
        EXPECT_GT(top, 1.0) << key.toStdString(); // drawn to the scale of the counts
        for (qsizetype i = 0; i < points.size(); ++i)
            EXPECT_NEAR(points[i].y(), scipy[i].toDouble(), 1e-4 * top) << key.toStdString() << " at " << points[i].x();
    }

    // The automatic choice names the fit it took and lists the others tried; at the window's
    // default size the legend, the table and the fitted figures are whole.
    choose(charts()->cmbDistribution, "自動選択");
    settle();
    EXPECT_EQ(charts()->size(), QSize(960, 720));
    EXPECT_TRUE(fitted(0).endsWith("(自動選択)")) << fitted(0).toStdString();
    ASSERT_TRUE(fittedSeries());
    QChart* chart = charts()->viewStudy->chart();
    const QStringList shown = legendTexts(chart);
    for (QAbstractSeries* s : chart->series())
        for (QLegendMarker* m : chart->legend()->markers(s))
            if (m->isVisible()) {
                EXPECT_TRUE(shown.contains(m->label())) << m->label().toStdString() << " | " << shown.join(" | ").toStdString();
            }
    int dotted = 0;
    for (const QPen& pen : legendStrokes(chart)) dotted += pen.color() == charts::kFittedColor && pen.style() == Qt::DotLine;
    EXPECT_EQ(dotted, 1);
    for (QTableWidget* table : {charts()->tblStudy, charts()->tblStudyFit}) {
        EXPECT_EQ(table->verticalScrollBar()->maximum(), 0) << table->rowCount();
        EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);
        const QRect last = table->visualItemRect(table->item(table->rowCount() - 1, 0));
        EXPECT_LE(last.bottom(), table->viewport()->height()) << table->rowCount();
    }
    EXPECT_TRUE(charts()->shownViews().contains(charts()->tblStudyFit)); // copied, saved and printed with the page

    // A value ≤ 0 refuses a fit: the reason instead of the figures.
    choose(charts()->cmbDistribution, "ワイブル分布");
    form->gridEdit->setCell(0, 1, "0.000");
    form->btnSpcJudgClick();
    settle();
    EXPECT_TRUE(charts()->tblStudyFit->isHidden());
    EXPECT_FALSE(fittedSeries());
    EXPECT_EQ(charts()->lblStudyNotes->text(), "0以下の測定値があるため、ワイブル分布では計算できません。ワイブル分布は正の測定値だけに使えます。");
    EXPECT_TRUE(charts()->shownViews().contains(charts()->lblStudyNotes));

    // The choice is kept for the next start.
    form->close();
    form.reset();
    start();
    chooseMenuItem(form->menuExecStudyView);
    settle();
    EXPECT_EQ(charts()->cmbDistribution->currentText(), "ワイブル分布");
}

TEST_F(ChartFormTest, CopySaveAndPrintOfTheStudyPageCarryTheFittedDensityAndItsFigures)
{
    typeSkewedValues();
    chooseMenuItem(form->menuExecStudyView);
    settle();
    ASSERT_EQ(charts()->stackStudy->currentIndex(), 0);
    // Pixels of the fitted density's colour, its line smoothed at the edges.
    const auto fittedInk = [](const QImage& image) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < rgb.height(); ++y)
            for (int x = 0; x < rgb.width(); ++x) {
                const QColor c = rgb.pixelColor(x, y);
                n += c.red() < 40 && std::abs(c.green() - charts::kFittedColor.green()) < 30 && std::abs(c.blue() - charts::kFittedColor.blue()) < 30;
            }
        return n;
    };
    QTest::mouseClick(charts()->btnCopy, Qt::LeftButton);
    EXPECT_EQ(fittedInk(QApplication::clipboard()->image()), 0);

    choose(charts()->cmbDistribution, "ワイブル分布");
    settle();
    ASSERT_FALSE(charts()->tblStudyFit->isHidden());
    QTest::mouseClick(charts()->btnCopy, Qt::LeftButton);
    EXPECT_GT(fittedInk(QApplication::clipboard()->image()), 100);

    // Saved and printed: the identification above the chart with the density's legend entry,
    // and in the saved file the fitted figures under it (words the PDF's text layer maps back;
    // a printer takes the tables as pictures).
    QTemporaryDir dir;
    const auto words = [](const QString& pdf) {
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        EXPECT_TRUE(text.waitForFinished(30000));
        return QString::fromUtf8(text.readAllStandardOutput());
    };
    const QStringList identified{"品種名称：", "Quorvane", "ワイブル分布 (当てはめ)"};
    const QStringList figures{"形状", "尺度", "パーセント点", "適合度"};
    ui.fileAnswers = {dir.filePath("study.pdf")};
    QTest::mouseClick(charts()->btnSave, Qt::LeftButton);
    EXPECT_TRUE(ui.messages.isEmpty());
    const QString printed = dir.filePath("printed.pdf");
    ui.dialogScripts.push_back(printToPdf(printed));
    QTest::mouseClick(charts()->btnPrint, Qt::LeftButton);
    EXPECT_TRUE(ui.dialogScripts.empty());
    const QString saved = words(dir.filePath("study.pdf")), print = words(printed);
    for (const QString& word : identified + figures) EXPECT_TRUE(saved.contains(word)) << word.toStdString() << "\n" << saved.toStdString();
    for (const QString& word : identified) EXPECT_TRUE(print.contains(word)) << word.toStdString() << "\n" << print.toStdString();
}

TEST_F(ChartFormTest, TheStudyPageSaysWhyNoIndexIsGiven)
{
    // Every lot's values equal: no spread within the lots.
    for (int r = 1; r <= 10; ++r) values(r, {10.0 + 0.01 * r, 10.0 + 0.01 * r, 10.0 + 0.01 * r});
    chooseMenuItem(form->menuExecStudyView);
    settle();
    ASSERT_EQ(charts()->stackStudy->currentIndex(), 0) << charts()->lblStudyMessage->text().toStdString();
    EXPECT_EQ(charts()->lblStudyNotes->text(), "ロットの中のばらつきがなく σ (群内) = 0 のため、Cp、Cpk は求められません。");
    EXPECT_TRUE(charts()->shownViews().contains(charts()->lblStudyNotes));
}
