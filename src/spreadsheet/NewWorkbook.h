#pragma once
#include "spreadsheet/Package.h"

#include <vector>

namespace spreadsheet {

// The parts of a new workbook with `sheets` empty worksheets named Sheet1, Sheet2, ...: content
// types, relationships, the workbook, default styles and the worksheets.
std::vector<PackagePart> newWorkbookParts(int sheets);

} // namespace spreadsheet
