// The histogram: the class bars, the normal curve, and the mean and specification limits
// as vertical lines. Series and axes are made once; every plot replaces their data.
#pragma once
#include "charts/GuideSeries.h"
#include "chartmodel/Histogram.h"

#include <memory>
#include <vector>

class QAreaSeries;
class QChart;
class QLineSeries;
class QValueAxis;

namespace charts {

class HistogramPlot {
public:
    explicit HistogramPlot(QChart& chart);
    ~HistogramPlot();

    // `withinCurve` (the capability study's page): a second, dashed normal curve named `withinName`.
    void plot(const chartmodel::Histogram& histogram, const std::vector<judge::CurvePoint>& withinCurve = {},
              const QString& withinName = {});

private:
    QChart& chart_;
    QValueAxis* valueAxis_;
    QValueAxis* countAxis_;
    QLineSeries* outline_;
    QAreaSeries* bars_;
    QLineSeries* curve_;
    QLineSeries* withinCurve_;
    std::unique_ptr<GuideSeries> guides_;
};

} // namespace charts
