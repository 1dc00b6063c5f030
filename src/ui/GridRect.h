#pragma once

namespace ui {

// A block of grid cells, inclusive on every side, in grid coordinates (column, row).
struct GridRect {
    int left = 0, top = 0, right = -1, bottom = -1;
    friend bool operator==(const GridRect&, const GridRect&) = default;
};

} // namespace ui
