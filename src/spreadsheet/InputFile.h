// Opening a file to read it, whatever kind of file it is: a regular file, or a pipe, FIFO or
// device (`… | quorvane-cli judge /dev/stdin`), whose size is not known beforehand and which
// may never end.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace spreadsheet {

// Opens `file` for reading. A FIFO is opened without waiting for a writer: one without a
// writer reads as empty instead of blocking forever. Throws Error when it cannot be opened.
void openInputFile(QFile& file);

// The input as messages name it: "標準入力" for the program's standard input (/dev/stdin,
// /dev/fd/0, /proc/self/fd/0), else the path as the system shows it.
QString inputName(const QString& path);

// Up to `n` bytes from an opened file; fewer only at its end.
QByteArray readHead(QFile& file, qint64 n);

// `bytes` (already read from the file) and the rest of the file up to its end, at most `limit`
// bytes in all; more throws Error (FileProblem::TooLarge, naming the input `name`) before more
// than `limit` + 1 bytes are held.
QByteArray readToEnd(QFile& file, qint64 limit, const QString& name, QByteArray bytes = {});

} // namespace spreadsheet
