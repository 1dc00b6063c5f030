#include "ui/GridOps.h"

#include "ui/StringGrid.h"

namespace ui {

void ClearGridRows(StringGrid& grid)
{
    grid.table().clearRows(grid.fixedRows());
    grid.refresh();
}

} // namespace ui
