#pragma once
#include <QComboBox>

#include <algorithm>

namespace ui {

// A stored item index brought into the list's range (a hand-edited setting may be outside it).
inline int boundedIndex(const QComboBox* list, int index) { return std::clamp(index, 0, list->count() - 1); }

} // namespace ui
