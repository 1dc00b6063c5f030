#pragma once
#include <QByteArray>

namespace spreadsheet {

class SharedStrings;
class SheetData;
struct SheetEntry;

// Gives every text cell without one its index in the shared strings (a formula's text result
// needs none), adding the texts the table lacks, in the order the cells are written.
void indexSharedStrings(SheetData& cells, SharedStrings& strings);

// A worksheet part written from its skeleton and its cells: everything of the part around the
// cells as it was read, a dimension for the cells present, and the cells in order (texts as
// shared strings, each indexed already by indexSharedStrings; a formula's text result inline).
// Nothing is changed: worksheets are written at the same time.
QByteArray writeWorksheet(const SheetEntry& sheet);

} // namespace spreadsheet
