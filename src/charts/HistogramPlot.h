// Draws the histogram from its data: the class bars, the normal curve, and the mean and
// specification limits as vertical lines.
#pragma once
#include "judge/ChartData.h"

class QChart;

namespace charts {

void plotHistogram(QChart& chart, const judge::Histogram& histogram);

} // namespace charts
