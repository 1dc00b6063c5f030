// Runs a step once for every sheet of a file, on as many threads as the machine has cores:
// the sheets are independent, and each step works on data of its own sheet only.
#pragma once
#include <functional>

namespace cli {

// Calls step(i) for i in 0..count-1 in no particular order and returns when all have returned.
// After a step throws, the steps not yet started are skipped and the exception of the lowest
// step that threw is passed on (spreadsheet::forEachIndex).
void forEachSheet(int count, const std::function<void(int)>& step);

} // namespace cli
