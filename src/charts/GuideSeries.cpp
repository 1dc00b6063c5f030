#include "charts/GuideSeries.h"

#include "charts/ChartStyle.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>

#include <cmath>

namespace charts {

namespace {

void setInLegend(QChart& chart, QAbstractSeries* series, bool inLegend)
{
    for (QLegendMarker* m : chart.legend()->markers(series)) m->setVisible(inLegend);
}

} // namespace

GuideSeries::GuideSeries(QChart& chart, QAbstractAxis* x, QAbstractAxis* y, int initial) : chart_(chart), x_(x), y_(y)
{
    for (int i = 0; i < initial; ++i) next();
    used_ = 0;
}

QLineSeries* GuideSeries::next()
{
    if (used_ < pool_.size()) return pool_[used_++];
    auto* s = new QLineSeries;
    chart_.addSeries(s);
    s->attachAxis(x_);
    s->attachAxis(y_);
    s->setVisible(false);
    setInLegend(chart_, s, false);
    pool_ << s;
    ++used_;
    // The data series go back on top of the new line, keeping what their legend entries showed.
    for (QAbstractSeries* a : above_) {
        QList<bool> shown;
        for (QLegendMarker* m : chart_.legend()->markers(a)) shown << m->isVisible();
        chart_.removeSeries(a);
        chart_.addSeries(a);
        a->attachAxis(x_);
        a->attachAxis(y_);
        const QList<QLegendMarker*> markers = chart_.legend()->markers(a);
        for (qsizetype i = 0; i < markers.size() && i < shown.size(); ++i) markers[i]->setVisible(shown[i]);
    }
    return s;
}

void GuideSeries::begin() { used_ = 0; }

void GuideSeries::add(const QString& name, const QPen& pen, const QList<QList<QPointF>>& pieces, bool inLegend)
{
    bool first = true;
    for (const QList<QPointF>& points : pieces) {
        if (points.isEmpty()) continue;
        QLineSeries* s = next();
        s->setName(plain(name));
        s->setPen(pen);
        s->replace(points);
        s->setVisible(true);
        setInLegend(chart_, s, inLegend && first);
        first = false;
    }
}

void GuideSeries::end()
{
    for (qsizetype i = used_; i < pool_.size(); ++i) {
        pool_[i]->setVisible(false);
        setInLegend(chart_, pool_[i], false);
    }
}

QList<QList<QPointF>> stepPieces(const std::vector<double>& steps)
{
    QList<QList<QPointF>> pieces;
    QList<QPointF> piece;
    for (size_t i = 0; i < steps.size(); ++i) {
        const double v = steps[i];
        if (!std::isfinite(v)) {
            if (!piece.isEmpty()) pieces << piece;
            piece.clear();
            continue;
        }
        piece << QPointF(double(i) - 0.5, v) << QPointF(double(i) + 0.5, v);
    }
    if (!piece.isEmpty()) pieces << piece;
    return pieces;
}

} // namespace charts
