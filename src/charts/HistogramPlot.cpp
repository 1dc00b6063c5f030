#include "charts/HistogramPlot.h"

#include "charts/ChartStyle.h"

#include <QAreaSeries>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

namespace charts {

namespace {

constexpr int kGuides = 3; // the mean and two specification limits

QPen guidePen(chartmodel::LineKind kind)
{
    if (kind == chartmodel::LineKind::Centre) return linePen(kCentreColor, 1.5, Qt::DashLine);
    return linePen(kSpecColor, 2, Qt::DashDotLine);
}

void attach(QChart& chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

void showSeries(QChart& chart, QLineSeries* series, bool shown)
{
    series->setVisible(shown);
    for (QLegendMarker* m : chart.legend()->markers(series)) m->setVisible(shown);
}

QList<QPointF> points(const std::vector<judge::CurvePoint>& curve)
{
    QList<QPointF> out;
    out.reserve(qsizetype(curve.size()));
    for (const judge::CurvePoint& p : curve) out << QPointF(p.x, p.y);
    return out;
}

} // namespace

HistogramPlot::HistogramPlot(QChart& chart)
    : chart_(chart), valueAxis_(new QValueAxis), countAxis_(new QValueAxis), outline_(new QLineSeries)
{
    frameChart(chart);
    styleAxis(*valueAxis_);
    styleAxis(*countAxis_);
    countAxis_->setTitleText(QStringLiteral("度数"));
    chart.addAxis(valueAxis_, Qt::AlignBottom);
    chart.addAxis(countAxis_, Qt::AlignLeft);

    bars_ = new QAreaSeries(outline_);
    outline_->setParent(bars_);
    bars_->setName(QStringLiteral("度数"));
    bars_->setBrush(kBarColor);
    bars_->setPen(linePen(kBarEdgeColor, 1));
    attach(chart, bars_, valueAxis_, countAxis_);
    curve_ = new QLineSeries;
    curve_->setName(QStringLiteral("正規分布"));
    curve_->setPen(linePen(kCurveColor, 2));
    attach(chart, curve_, valueAxis_, countAxis_);
    withinCurve_ = new QLineSeries;
    withinCurve_->setPen(linePen(kCurveColor, 2, Qt::DashLine));
    attach(chart, withinCurve_, valueAxis_, countAxis_);
    showSeries(chart, withinCurve_, false);
    fittedCurve_ = new QLineSeries;
    fittedCurve_->setPen(linePen(kFittedColor, 2.5, Qt::DotLine));
    attach(chart, fittedCurve_, valueAxis_, countAxis_);
    showSeries(chart, fittedCurve_, false);
    guides_ = std::make_unique<GuideSeries>(chart, valueAxis_, countAxis_, kGuides);
}

HistogramPlot::~HistogramPlot() = default;

void HistogramPlot::plot(const chartmodel::Histogram& h)
{
    const QString title =
        QStringLiteral("<div align=\"center\">%1<br>"
                       "<span style=\"font-size:13px; font-weight:normal; white-space:pre\">%2</span></div>")
                              .arg(plain(h.title), plain(h.caption));
    if (chart_.title() != title) chart_.setTitle(title);
    valueAxis_->setTitleText(plain(h.axisTitle));
    setValueRange(*valueAxis_, h.valueRange, h.labelDecimals);
    setValueRange(*countAxis_, h.countRange, 0);

    // One area whose outline drops to 0 at every class edge: the bars stand apart.
    QList<QPointF> outline;
    outline.reserve(qsizetype(h.classes.size()) * 4);
    for (const judge::HistogramClass& c : h.classes)
        outline << QPointF(c.lower, 0) << QPointF(c.lower, c.count) << QPointF(c.upper, c.count) << QPointF(c.upper, 0);
    outline_->replace(outline);

    curve_->setName(plain(h.curveName));
    curve_->replace(points(h.curve));
    showSeries(chart_, curve_, !h.curve.empty());
    for (QLineSeries* study : {withinCurve_, fittedCurve_}) {
        study->clear();
        showSeries(chart_, study, false);
    }

    guides_->begin();
    for (const chartmodel::GuideLine& g : h.lines)
        if (g.value) guides_->add(g.label(), guidePen(g.kind), {{QPointF(*g.value, 0), QPointF(*g.value, h.countRange.max)}}, true);
    guides_->end();
}

void HistogramPlot::plot(const chartmodel::StudyPage& page)
{
    plot(page.histogram);
    auto show = [this](QLineSeries* series, const std::vector<judge::CurvePoint>& curve, const QString& name) {
        series->setName(plain(name));
        series->replace(points(curve));
        showSeries(chart_, series, !curve.empty());
    };
    show(withinCurve_, page.withinCurve, page.withinCurveName);
    show(fittedCurve_, page.fittedCurve, page.fittedCurveName);
}

} // namespace charts
