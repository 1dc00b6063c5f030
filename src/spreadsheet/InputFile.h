// Opening a file to read it whole, whatever kind of file it is: a regular file, or a pipe,
// FIFO or device (`… | quorvane-cli judge /dev/stdin`), whose size is not known beforehand.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace spreadsheet {

// Opens `file` for reading. A FIFO is opened without waiting for a writer: one without a
// writer reads as empty instead of blocking forever. Throws Error when it cannot be opened.
void openInputFile(QFile& file);

// The rest of an opened file up to its end, at most `limit` bytes; a file with more than
// that throws Error before more than `limit` + 1 bytes are held.
QByteArray readToEnd(QFile& file, qint64 limit);

} // namespace spreadsheet
