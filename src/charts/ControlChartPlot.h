// One chart of the control chart: the guide lines, the polyline of the lot values with
// their points, and the points the run rules marked in the anomaly colour with their rules
// as tooltip. Series and axes are made once; every plot replaces their data.
#pragma once
#include "charts/GuideSeries.h"
#include "judge/ChartData.h"

#include <QStringList>
#include <memory>

class QCategoryAxis;
class QChart;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace charts {

class ControlChartPlot {
public:
    explicit ControlChartPlot(QChart& chart);
    ~ControlChartPlot();

    void plot(const QStringList& lots, const judge::ControlPanel& panel);

    // The series of the lot values: lot row i (0-based) lies at x = i.
    QLineSeries* valueSeries() const { return values_; }

private:
    QChart& chart_;
    QCategoryAxis* lotAxis_;
    QValueAxis* valueAxis_;
    std::unique_ptr<GuideSeries> guides_;
    QLineSeries* values_;
    QScatterSeries* marked_;
    QStringList lots_;
    QStringList markedTips_;
};

} // namespace charts
