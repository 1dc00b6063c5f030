#pragma once
#include <vector>

namespace chartmodel {

// A value axis fitted to what a chart draws: the smallest range of whole steps (1, 2 or 5 times
// a power of ten, about eight of them) that holds every value with a little room at both ends,
// so the points fill the chart instead of a band above 0.
struct AxisRange {
    double min = 0;
    double max = 1;
    double step = 0.2; // between the labelled values; 0 when the values are too far apart for steps
    // Decimals that tell the labelled values apart.
    int stepDecimals() const;
};
AxisRange fittedAxis(const std::vector<double>& values);

// A range that starts at 0 when every value is at least 0 (a dispersion, a count).
AxisRange fittedAxisFromZero(std::vector<double> values);

// Counts from 0 to at least `top`, on whole steps.
AxisRange fittedCountAxis(double top);

// Every how many lots a label is shown so that at most `room` labels share the axis.
int labelInterval(int lots, int room = 50);

} // namespace chartmodel
