// The arithmetic of the histogram: class edges and counts, and the normal curve scaled to
// the counts. The chart window, the histogram report and the command line all class the
// values here, so they count the same classes.
#pragma once
#include "judge/Measurements.h"

#include <span>
#include <vector>

namespace judge {

struct HistogramClass {
    double lower = 0.0;
    double upper = 0.0;
    int count = 0;
};

struct CurvePoint {
    double x = 0.0;
    double y = 0.0;
};

// `classCount` classes [a, b) of equal width covering every value, by the usual rule for
// measured data: with the measuring unit u = 10^-digits the width is the smallest multiple
// of u whose classCount-fold reaches (max - min) + u, and the first edge lies half a unit
// below the smallest value. So a value written with the sheet's decimals never lies on an
// edge and every class holds the same number of possible readings. A value on an edge
// (possible with more decimals) counts in the upper class. Values too far apart for units
// get plain equal classes from the smallest to the largest value.
std::vector<HistogramClass> histogramClasses(std::span<const double> values, int classCount, int digits);

// The values of the enabled lots, in lot and column order; raises model::ConvertError.
std::vector<double> enabledValues(const Measurements& sheet);

// The normal density of `mean` and `sigma` times `count` values times the class width, so
// that it follows the bars; `samples` points evenly across [low, high].
std::vector<CurvePoint> normalCurve(double mean, double sigma, int count, double width, double low, double high,
                                    int samples);

} // namespace judge
