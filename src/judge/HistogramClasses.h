// The arithmetic of the histogram: class edges and counts, and the normal curve scaled to
// the counts.
#pragma once
#include "judge/ChartData.h"

#include <span>
#include <vector>

namespace judge {

// `classCount` classes of equal width covering every value. The width is a whole number of
// measuring units (10 to the power of minus `digits`) and the edges lie half a unit off the
// values, from half a unit below the smallest value, the spare width shared on both sides;
// so a value written with the sheet's decimals never lies on an edge. A value on an edge
// (possible with more decimals) counts in the upper class. Values too far apart for units
// get plain equal classes from the smallest to the largest value.
std::vector<HistogramClass> histogramClasses(std::span<const double> values, int classCount, int digits);

// The normal density of `mean` and `sigma` times `count` values times the class width, so
// that it follows the bars; `samples` points evenly across [low, high].
std::vector<CurvePoint> normalCurve(double mean, double sigma, int count, double width, double low, double high,
                                    int samples);

} // namespace judge
