#pragma once
#include <QString>
#include <optional>
#include <vector>

#include "exchange/SheetReader.h"
#include "model/SheetRecord.h"

namespace exchange {

// A character of an imported file that the sheet files (code page 932) cannot hold, and where
// it stands.
struct NotHeldText {
    int sheetNumber = 1; // the worksheet, from 1
    int row = 1;         // the cell, from 1
    int col = 1;
    QString label;       // what the cell holds: a header label, "ロット№" or "測定値"
    QString character;   // one whole code point
};

// Replaces, in every text of the records read (header fields, lot numbers, cells), the
// well-known look-alikes the code page lacks by the ones it holds, so they look the same and
// can be saved. Returns the first other character it cannot hold, if any: such a file is not
// imported (dropping the character would change what the operator reads). The records are
// independent: forEach may fit them at the same time; the first is still the first in order.
std::optional<NotHeldText> fitToCp932(std::vector<model::SheetRecord>& records, const ForEachWorksheet& forEach = inOrder);

// The warning for a file refused for such a character, naming it and its place.
QString notHeldImportMessage(const NotHeldText& text, ReadMode mode);

} // namespace exchange
