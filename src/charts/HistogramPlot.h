// The histogram: the class bars, the normal curve, and the mean and specification limits
// as vertical lines; on the capability study's page also the normal curve of the sigma within
// the lots and a fitted distribution's density. Series and axes are made once; every plot
// replaces their data.
#pragma once
#include "charts/GuideSeries.h"
#include "chartmodel/Histogram.h"
#include "chartmodel/StudyPage.h"

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

    void plot(const chartmodel::Histogram& histogram);
    // The study page's histogram with the within curve dashed and the fitted density dotted.
    void plot(const chartmodel::StudyPage& page);

private:
    QChart& chart_;
    QValueAxis* valueAxis_;
    QValueAxis* countAxis_;
    QLineSeries* outline_;
    QAreaSeries* bars_;
    QLineSeries* curve_;
    QLineSeries* withinCurve_;
    QLineSeries* fittedCurve_;
    std::unique_ptr<GuideSeries> guides_;
};

} // namespace charts
