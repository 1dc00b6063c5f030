// The straight lines of a chart (centre line, limits, zones, specification limits) as
// two-point line series made once, beneath the data series added after them; each plot
// shows as many of them as its data has and hides the rest.
#pragma once
#include <QList>
#include <QPen>
#include <QPointF>
#include <QString>

class QAbstractAxis;
class QChart;
class QLineSeries;

namespace charts {

class GuideSeries {
public:
    GuideSeries(QChart& chart, QAbstractAxis* x, QAbstractAxis* y, int count);

    // Line `index` from `a` to `b`; named in the legend when `inLegend`.
    void show(int index, const QString& name, const QPen& pen, QPointF a, QPointF b, bool inLegend);
    // Line `index` through `points` (the steps of limits of each lot's own size).
    void showPath(int index, const QString& name, const QPen& pen, const QList<QPointF>& points, bool inLegend);
    void hideFrom(int index);
    int count() const { return int(lines_.size()); }

private:
    QChart& chart_;
    QList<QLineSeries*> lines_;
};

} // namespace charts
