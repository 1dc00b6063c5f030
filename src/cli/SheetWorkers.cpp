#include "cli/SheetWorkers.h"

#include "spreadsheet/Workers.h"

namespace cli {

void forEachSheet(int count, const std::function<void(int)>& step) { spreadsheet::forEachIndex(count, step); }

} // namespace cli
