#pragma once

class QWidget;

namespace ui {

// Japanese input (the input method) on or off for a widget. Off takes the widget away from
// the input method altogether, so no composed or committed text reaches it; the operator
// types what the field's filter allows. A spin edit's text field follows the spin edit.
void setJapaneseInput(QWidget* widget, bool on);
bool japaneseInputOn(const QWidget* widget);

// Applies the widget's last choice again (after a toolkit change that switched it back on).
void reapplyJapaneseInput(QWidget* widget);

// Ends any composition in progress before a dialog opens over the window; the dialog's own
// fields take direct input.
void switchJapaneseInputOff();

} // namespace ui
