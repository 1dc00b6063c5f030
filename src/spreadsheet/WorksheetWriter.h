#pragma once
#include <QByteArray>

namespace spreadsheet {

class SharedStrings;
struct SheetEntry;

// A worksheet part written from its skeleton and its cells: everything of the part around the
// cells as it was read, a dimension for the cells present, and the cells in order (texts as
// shared strings, added to the table when new; a formula's text result inline).
QByteArray writeWorksheet(SheetEntry& sheet, SharedStrings& strings);

} // namespace spreadsheet
