#pragma once

class QWidget;

namespace ui {

// Japanese input (the input method's conversion) on or off for a widget. Off asks the input
// method for direct Latin input; the operator can still type what the field's filter allows.
void setJapaneseInput(QWidget* widget, bool on);
bool japaneseInputOn(const QWidget* widget);

} // namespace ui
