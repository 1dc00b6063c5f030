#pragma once
#include <QString>
#include <QStringView>

namespace spreadsheet {

// Sheet names a spreadsheet accepts: 1 to 31 characters, none of : \ / ? * [ ] or a control
// character, no apostrophe at either end.
inline constexpr int kMaxSheetNameLength = 31;
bool isForbiddenInSheetName(QChar c);
bool isValidSheetName(QStringView name);

// The wanted name made acceptable: forbidden characters become "_", it is cut to 31 characters
// and loses apostrophes at its ends; empty when nothing is left.
QString sanitizedSheetName(QStringView wanted);

} // namespace spreadsheet
