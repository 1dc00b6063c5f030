#pragma once
#include <vector>

namespace reports {

// A value axis fitted to what a chart draws: the smallest range of whole steps (1, 2 or 5 times
// a power of ten, about eight of them) that holds every value with a little room at both ends,
// so the points fill the chart instead of a band above 0.
struct AxisRange {
    double min = 0;
    double max = 1;
};
AxisRange fittedAxis(const std::vector<double>& values);

// Every how many lots a label is shown so that at most `room` labels share the axis.
int labelInterval(int lots, int room = 50);

} // namespace reports
