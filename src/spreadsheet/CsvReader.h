#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QStringList>

#include <functional>

namespace spreadsheet {

inline constexpr qsizetype kMaxCsvSize = 64 << 20;

// Reads a text file as a spreadsheet program opens it: code page 932 (UTF-8 when the file
// starts with its byte-order mark), lines ended by CR LF, LF or CR, fields separated by commas;
// a quoted field may hold commas, line breaks and doubled quotes. Field texts are kept exactly
// as written (no number conversion, no trimming).
//
// The file's shape is checked before any field is decoded: more rows or columns than a
// worksheet holds, more than kMaxCells fields, more than kMaxCsvSize bytes or a NUL byte are
// refused with spreadsheet::Error at the cost of one pass over the bytes. Bytes that are not
// valid in the code page, and fields longer than a cell holds (32,767 characters), are refused
// when they are reached.
//
// Hands every field to `field` (row and column from 0) in file order; nothing is kept here.
void readCsvFields(const QByteArray& bytes, const std::function<void(int row, int column, const QString& text)>& field);

// The bytes of the first `rows` lines of a text file, read from the device only as far as they
// reach (a quoted field may span lines, as readCsvFields reads it); the whole file when it
// has fewer lines. `start` holds bytes already read from the device. Refused with
// spreadsheet::Error when they come to more than kMaxCsvSize bytes (at most that much is ever
// held, however long the stream) or hold a NUL byte.
QByteArray readCsvRows(QIODevice& device, int rows, QByteArray start = {});

// Every row's field texts.
QList<QStringList> readCsv(const QByteArray& bytes);

} // namespace spreadsheet
