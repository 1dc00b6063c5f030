#include "charts/GuideSeries.h"

#include "charts/ChartStyle.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>

namespace charts {

namespace {

void setInLegend(QChart& chart, QLineSeries* series, bool inLegend)
{
    for (QLegendMarker* m : chart.legend()->markers(series)) m->setVisible(inLegend);
}

} // namespace

GuideSeries::GuideSeries(QChart& chart, QAbstractAxis* x, QAbstractAxis* y, int count) : chart_(chart)
{
    for (int i = 0; i < count; ++i) {
        auto* s = new QLineSeries;
        chart.addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
        s->setVisible(false);
        setInLegend(chart, s, false);
        lines_ << s;
    }
}

void GuideSeries::show(int index, const QString& name, const QPen& pen, QPointF a, QPointF b, bool inLegend)
{
    showPath(index, name, pen, QList<QPointF>{a, b}, inLegend);
}

void GuideSeries::showPath(int index, const QString& name, const QPen& pen, const QList<QPointF>& points, bool inLegend)
{
    if (index < 0 || index >= lines_.size()) return;
    QLineSeries* s = lines_[index];
    s->setName(plain(name));
    s->setPen(pen);
    s->replace(points);
    s->setVisible(true);
    setInLegend(chart_, s, inLegend);
}

void GuideSeries::hideFrom(int index)
{
    for (qsizetype i = std::max(index, 0); i < lines_.size(); ++i) {
        lines_[i]->setVisible(false);
        setInLegend(chart_, lines_[i], false);
    }
}

} // namespace charts
