#pragma once
#include <QFocusEvent>

namespace ui {

// Whether a focus move leaves the field: a popup menu or list opening over it, or another
// window becoming active, does not.
inline bool leavesField(const QFocusEvent& e)
{
    return e.reason() != Qt::PopupFocusReason && e.reason() != Qt::ActiveWindowFocusReason;
}

} // namespace ui
