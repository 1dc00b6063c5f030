#pragma once
#include <QString>
#include <QStringList>

#include "model/SheetRecord.h"

namespace exchange {

// One field with standard CSV quoting: a field holding a comma, a double quote or a line
// break is enclosed in double quotes, each inner quote doubled; others are written as they are.
QString csvField(const QString& field);

// Line 4 of every file of one export: the lot heading, a comma, then the comma text of the
// measurement headings of the sheet shown when the export starts ("ﾛｯﾄ№,N1,N2,N3").
QString csvHeadingLine(const QString& lotHeading, const QStringList& measurementHeadings);

// The lines of a sheet's CSV file, without line ends: the labels, the header fields, an empty
// line, the heading line, then the data line of every enabled lot as stored.
QStringList sheetCsvLines(const model::SheetRecord& record, const QString& headingLine);

// "Sheet" + sheet number (from 1) + ".csv": files are named by sheet number, not caption.
QString csvFileName(int sheetNumber);

// Writes a sheet's CSV file: code page 932 without byte-order mark, CR LF after every line.
// The file is written beside the target and renamed over it only when complete, so a failure
// leaves an existing file as it was. Throws UnencodableText (nothing written) when a text of the
// sheet has a character code page 932 cannot hold, spreadsheet::Error when the file cannot be written.
void WriteSheetCsv(const QString& path, const model::SheetRecord& record, int sheetNumber, const QString& headingLine);

} // namespace exchange
