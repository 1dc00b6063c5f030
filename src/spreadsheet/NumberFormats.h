#pragma once
#include <QString>
#include <QStringView>

namespace spreadsheet {

// The code of a built-in number format by its id (0 "General", 14 "mm-dd-yy", 49 "@" ...), as
// the other readers name them; nullptr for an id without a built-in code.
const char* builtinNumberFormat(int id);
// The id of a built-in format with exactly this code; -1 when there is none.
int builtinNumberFormatId(QStringView code);

// Whether a format code shows numbers as dates or times (day, month, year, hour or second
// parts outside quoted text, escapes and bracketed colours).
bool isDateFormat(QStringView code);

} // namespace spreadsheet
