#pragma once
#include <QColor>
#include <QFont>

class QWidget;

namespace ui {

// Fonts and colours shared by the windows.
QFont gothicFont(int pixelSize, bool bold = false);        // texts of the windows
QFont proportionalGothicFont(int pixelSize);               // the windows themselves

inline const QColor kFocusColor{255, 255, 0};
inline const QColor kFieldColor{255, 255, 255};
inline const QColor kPassColor{0, 255, 0};
inline const QColor kFailColor{255, 0, 0};
inline const QColor kAlternateRowColor{150, 245, 150};
QColor buttonFaceColor();

// The background of an input field (and of a list's button face).
void setFieldColour(QWidget* field, const QColor& colour);

} // namespace ui
