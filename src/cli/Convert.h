// The convert command: the sheets of a CSV file or workbook, each passed through the
// window's record → view → record path (entered, then saved), written as the File menu
// writes all sheets: one workbook, or Sheet1.csv, Sheet2.csv … into a folder.
#pragma once
#include "sheetview/Notice.h"

#include <QString>
#include <vector>

namespace cli {

struct ConvertedSheetNotice {
    int sheet = 0; // from 1
    sheetview::Notice notice;
};

// `output` is an existing folder (CSV files) or a file name ending in .xlsx (a workbook).
// Returns the messages entering the sheets gave (the sheets are written as entered).
// Throws FileError when the input cannot be read or the output cannot be written.
std::vector<ConvertedSheetNotice> convertSheets(const QString& input, const QString& output);

} // namespace cli
