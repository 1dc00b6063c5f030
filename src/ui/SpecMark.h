#pragma once
#include <QStringView>

namespace ui {

// Whether a measurement text lies outside the limit texts for a spec kind (0 tolerance:
// both limits, 1 upper limit only, 2 lower limit only). A value equal to a limit is inside;
// a blank cell, a text that is not a number or a needed limit that is not one is never outside.
bool outsideSpecLimits(QStringView value, int specKind, QStringView upper, QStringView lower);

} // namespace ui
