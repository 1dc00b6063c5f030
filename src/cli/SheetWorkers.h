// Runs a step once for every sheet of a file, on as many threads as the machine has cores:
// the sheets are independent, and each step works on data of its own sheet only.
#pragma once
#include <functional>

namespace cli {

// Calls step(i) for every i in 0..count-1, each exactly once, in no particular order; returns
// when all have returned. An exception a step throws is passed on once all have ended.
void forEachSheet(int count, const std::function<void(int)>& step);

} // namespace cli
