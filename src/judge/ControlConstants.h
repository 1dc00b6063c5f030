// The control chart constants of a lot of n values from a normal process: d2 and d3, the
// mean and standard deviation of the range in units of sigma, and c4, the mean of the
// sample standard deviation in units of sigma. Computed exactly (to double precision),
// so they may differ from printed tables in the third decimal.
#pragma once

namespace judge {

// Lot sizes the range constants are tabled for.
constexpr int kMinConstantLotSize = 2;
constexpr int kMaxConstantLotSize = 100;

// n in 2..100; outside that range the result is NaN.
double d2(int n);
double d3(int n);
// n >= 2 (any size: the pooled standard deviation uses c4 of the total degrees of freedom
// plus one); NaN below 2.
double c4(int n);

} // namespace judge
