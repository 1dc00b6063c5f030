#pragma once
// What the exchange tests share: printing of Qt texts, files on disk, records.
#include "TestSupport.h"

#include "model/SheetRecord.h"

#include <QFile>
#include <QString>
#include <QStringEncoder>

namespace exchange_test {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray cp932(const QString& text)
{
    QStringEncoder e("windows-31j");
    return e.encode(text);
}

} // namespace exchange_test
