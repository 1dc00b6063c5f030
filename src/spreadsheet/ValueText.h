#pragma once
#include <QString>
#include <string>

namespace spreadsheet {

// The text a spreadsheet shows for a stored number when its value is read: the shortest
// decimal that reads back to the same double, at most 15 significant digits (0.1 + 0.2
// gives "0.3"), in plain notation for ordinary magnitudes ("10.5", "3", "0.00012") and
// as "1.5E+20" or "1E-07" beyond them. Negative zero reads as "0".
QString numberText(double value);
// The same text appended, without a string of its own.
void appendNumberText(QString& out, double value);
// The same text written into `out`, which holds kNumberTextSize characters; returns its length.
inline constexpr int kNumberTextSize = 48;
int writeNumberText(double value, char* out);

// Whether a text entered as if typed reads back as another text: it becomes a number whose
// shown text differs from it ("0012", "1e3", "-0", a code of 16 digits, "0.30000000000000004").
// Writers store such a text as text, so it reads back exactly as entered.
bool typingChanges(const QString& text);

// The exact shortest text of a double, as stored in a workbook part ("0.30000000000000004").
void appendStoredNumber(std::string& out, double value);
// The same written into `out` (kNumberTextSize characters); returns its length.
int writeStoredNumber(double value, char* out);

} // namespace spreadsheet
