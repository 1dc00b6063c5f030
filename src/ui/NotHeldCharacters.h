#pragma once
#include <QString>

class QWidget;

namespace ui {

// Characters the sheet files (code page 932) cannot hold, as the operator is told of them.

// A paste refused as a whole: the warning box naming the character.
void warnPasteNotHeld(QWidget* parent, const QString& character);

// A typed or committed character that was not taken: a short note under the field for a few
// seconds, with no box to close (one may come with every key). The note is a label of the
// field's window named kNotHeldNoteName.
inline constexpr char kNotHeldNoteName[] = "notHeldNote";
QString notHeldNote(const QString& character);
void noteNotHeld(QWidget* field, const QString& character);

} // namespace ui
