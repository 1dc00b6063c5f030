// Aligned text tables for a terminal: columns padded to the widest cell, counting the
// characters a terminal draws two cells wide (full-width forms, kana, kanji) as two.
#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace cli {

// Terminal cells a text takes: 2 for wide and full-width characters, 1 for others
// (half-width katakana and the characters whose width depends on the terminal included).
int displayWidth(QStringView text);

// The rows as lines of columns two blanks apart, each line starting with `indent` and ending
// with a line feed; trailing blanks are left off. `rightAligned(column)` says which columns
// are aligned to the right.
QString alignedTable(const std::vector<QStringList>& rows, bool (*rightAligned)(int column), const QString& indent);

} // namespace cli
