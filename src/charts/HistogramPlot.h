// The histogram: the class bars, the normal curve, and the mean and specification limits
// as vertical lines. Series and axes are made once; every plot replaces their data.
#pragma once
#include "charts/GuideSeries.h"
#include "judge/ChartData.h"

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

    // `withinCurve` (the capability study's page): a second, dashed normal curve.
    void plot(const judge::Histogram& histogram, const std::vector<judge::CurvePoint>& withinCurve = {});
    // The legend names of the two curves.
    void setCurveNames(const QString& curve, const QString& withinCurve);

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
