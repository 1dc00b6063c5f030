// The lines of a chart that are not its data (centre lines, limits, zones, specification limits,
// the mean) as line series beneath the data series. A line may break into several pieces (a
// lot's own limit where the lot has none); each piece is a series of its own, the first one
// carrying the line's legend entry. Series are kept and reused from one plot to the next.
#pragma once
#include <QList>
#include <QPen>
#include <QPointF>
#include <QString>

#include <vector>

class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QLineSeries;

namespace charts {

class GuideSeries {
public:
    // `above`: the data series, kept on top when more line series are needed.
    GuideSeries(QChart& chart, QAbstractAxis* x, QAbstractAxis* y, int initial);
    void setAbove(const QList<QAbstractSeries*>& above) { above_ = above; }

    void begin();
    // One line through each piece's points; named in the legend when `inLegend`.
    void add(const QString& name, const QPen& pen, const QList<QList<QPointF>>& pieces, bool inLegend);
    // Hides the series this plot did not use.
    void end();

    // The pieces of the lines shown, in the order they were added.
    QList<QLineSeries*> shown() const { return pool_.mid(0, used_); }

private:
    QLineSeries* next();

    QChart& chart_;
    QAbstractAxis* x_;
    QAbstractAxis* y_;
    QList<QLineSeries*> pool_;
    QList<QAbstractSeries*> above_;
    int used_ = 0;
};

// The pieces of a line of steps: each value across its lot's width (lot i from i − 0.5 to
// i + 0.5), joined at the lots' edges, broken where a value is not finite.
QList<QList<QPointF>> stepPieces(const std::vector<double>& steps);

} // namespace charts
