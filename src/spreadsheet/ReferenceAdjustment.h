#pragma once
#include "spreadsheet/CellRef.h"
#include "spreadsheet/Charts.h"

#include <pugixml.hpp>

namespace spreadsheet {

class SheetData;

// Applies a reference edit to the formula of every cell; with `moved`, the areas of array
// formulas follow a delete of that rectangle. Returns whether any formula changed.
bool editCellFormulas(SheetData& cells, const FormulaEdit& edit, const CellRect* moved = nullptr);

// Applies a reference edit to the workbook's defined names.
void editDefinedNames(pugi::xml_node workbook, const FormulaEdit& edit);

// The markup of a worksheet that names its own cells — merged areas, conditional formats, data
// validations and hyperlinks — after `deleted` is removed with the cells below shifted up: areas
// move up or shrink, and those left without cells go.
void shiftUpSheetMarkup(pugi::xml_node worksheet, QStringView sheetName, const CellRect& deleted);

} // namespace spreadsheet
