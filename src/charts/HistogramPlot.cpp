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

void attach(QChart& chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QPen guidePen(judge::GuideKind kind)
{
    if (kind == judge::GuideKind::Centre) return linePen(kCentreColor, 1.5, Qt::DashLine);
    return linePen(kSpecColor, 2, Qt::DashDotLine);
}

} // namespace

void plotHistogram(QChart& chart, const judge::Histogram& h)
{
    resetChart(chart, QStringLiteral("<div align=\"center\">%1<br><span style=\"font-size:13px; font-weight:normal; white-space:pre\">%2</span></div>")
                          .arg(plain(h.title), plain(h.caption)));
    QValueAxis* x = valueAxis(h.axisTitle, h.low, h.high, 8);
    QValueAxis* y = valueAxis(QStringLiteral("度数"), 0.0, h.top, 6, 1.0);
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);

    // One area whose outline drops to 0 at every class edge: the bars stand apart.
    auto* outline = new QLineSeries;
    for (const judge::HistogramClass& c : h.classes)
        outline->append({QPointF(c.lower, 0), QPointF(c.lower, c.count), QPointF(c.upper, c.count),
                         QPointF(c.upper, 0)});
    auto* bars = new QAreaSeries(outline);
    outline->setParent(bars);
    bars->setName(QStringLiteral("度数"));
    bars->setBrush(kBarColor);
    bars->setPen(linePen(kBarEdgeColor, 1));
    attach(chart, bars, x, y);

    if (!h.curve.empty()) {
        auto* curve = new QLineSeries;
        curve->setName(QStringLiteral("正規分布"));
        curve->setPen(linePen(kCurveColor, 2));
        QList<QPointF> points;
        points.reserve(qsizetype(h.curve.size()));
        for (const judge::CurvePoint& p : h.curve) points << QPointF(p.x, p.y);
        curve->replace(points);
        attach(chart, curve, x, y);
    }

    for (const judge::GuideLine& g : h.lines) {
        auto* s = new QLineSeries;
        s->setName(plain(g.label));
        s->setPen(guidePen(g.kind));
        s->append({QPointF(g.value, 0), QPointF(g.value, h.top)});
        attach(chart, s, x, y);
    }
}

} // namespace charts
