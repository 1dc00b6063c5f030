// Runs independent steps on every core: the worksheets of a workbook are read, written and
// packed at the same time, and a batch front end judges its sheets the same way.
#pragma once
#include <functional>

namespace spreadsheet {

// Calls step(i) for i in 0..count-1 on as many threads as the machine has cores (fewer when
// threads cannot be started; the calling thread always works too) and returns when all have
// returned. Steps are handed out in ascending order. Once a step throws, steps after it that have
// not started are skipped, and the exception of the lowest step that threw is passed on: the
// same failure a loop in order would have met first.
void forEachIndex(int count, const std::function<void(int)>& step);

} // namespace spreadsheet
