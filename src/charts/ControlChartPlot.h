// One chart of the control chart: the guide lines (each lot's own limits as steps), the polyline
// of the lot values with their points, and the points the run rules marked in the anomaly colour
// with their rules as tooltip. Lots without a point on a side leave a gap. Series and axes are
// made once; every plot replaces their data.
#pragma once
#include "charts/GuideSeries.h"
#include "chartmodel/ControlChart.h"

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

    void plot(const QStringList& lots, const chartmodel::ControlPanel& panel);

private:
    QChart& chart_;
    QCategoryAxis* lotAxis_;
    QValueAxis* valueAxis_;
    std::unique_ptr<GuideSeries> guides_;
    std::unique_ptr<GuideSeries> values_; // the polyline, in pieces between gaps
    QScatterSeries* points_;
    QScatterSeries* marked_;
    QStringList lots_;
    QStringList markedTips_;
};

} // namespace charts
