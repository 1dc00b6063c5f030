#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace spreadsheet {

inline constexpr qsizetype kMaxCsvSize = 64 << 20;

// Splits a text file into rows of field texts as a spreadsheet program opens it: code page 932
// (UTF-8 when the file starts with its byte-order mark), lines ended by CR LF, LF or CR, fields
// separated by commas; a quoted field may hold commas, line breaks and doubled quotes. Field
// texts are kept exactly as written (no number conversion, no trimming).
// Throws spreadsheet::Error for bytes that are not valid code page 932, NUL bytes, more rows or
// columns than a worksheet holds, more than kMaxCells fields or more than kMaxCsvSize bytes.
QList<QStringList> readCsv(const QByteArray& bytes);

} // namespace spreadsheet
