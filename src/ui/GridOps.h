#pragma once

namespace ui {

class StringGrid;

// Empties every stored cell of the rows below the fixed row, up to row 100 (also cells beyond
// the displayed columns), and switches their flags off.
void ClearGridRows(StringGrid& grid);

} // namespace ui
