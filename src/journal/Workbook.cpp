#include "journal/Workbook.h"

#include <QDataStream>
#include <QIODevice>

namespace journal {

namespace {

constexpr quint32 kRecordFormat = 0x51524331; // "QRC1"

bool sameList(const QStringList& a, const QStringList& b)
{
    if (a.size() != b.size()) return false;
    return a.constData() == b.constData() || a == b;
}

// Texts are stored as UTF-8 (half the size of Qt's own UTF-16 streaming for the digits and
// commas that make up a sheet), lists as their length and their texts.
void put(QDataStream& out, const QString& text) { out << text.toUtf8(); }

void put(QDataStream& out, const QStringList& list)
{
    out << qint32(list.size());
    for (const QString& t : list) put(out, t);
}

void get(QDataStream& in, QString& text)
{
    QByteArray bytes;
    in >> bytes;
    text = QString::fromUtf8(bytes);
}

void get(QDataStream& in, QStringList& list)
{
    qint32 n = 0;
    in >> n;
    // A damaged length never sizes memory: the texts are read one by one until the data end.
    for (qint32 i = 0; i < n && in.status() == QDataStream::Ok; ++i) {
        QString t;
        get(in, t);
        list.append(t);
    }
}

} // namespace

QByteArray encodeRecord(const model::SheetRecord& r)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kRecordFormat;
    for (const QString* t : {&r.product, &r.process, &r.device, &r.item, &r.unit, &r.specKind, &r.digits, &r.specUpper,
                             &r.specLower})
        put(out, *t);
    out << qint32(r.lotCount) << qint32(r.measurementCount);
    put(out, r.enableFlags);
    put(out, r.dataLines);
    return bytes;
}

model::SheetRecord decodeRecord(const QByteArray& bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 format = 0;
    in >> format;
    if (format != kRecordFormat) throw JournalError("journal record of an unknown format");
    model::SheetRecord r;
    for (QString* t : {&r.product, &r.process, &r.device, &r.item, &r.unit, &r.specKind, &r.digits, &r.specUpper,
                       &r.specLower})
        get(in, *t);
    qint32 lots = 0, measurements = 0;
    in >> lots >> measurements;
    get(in, r.enableFlags);
    get(in, r.dataLines);
    if (in.status() != QDataStream::Ok || !in.atEnd()) throw JournalError("damaged journal record");
    r.lotCount = lots;
    r.measurementCount = measurements;
    return r;
}

bool sameRecord(const model::SheetRecord& a, const model::SheetRecord& b)
{
    return a.lotCount == b.lotCount && a.measurementCount == b.measurementCount && a.product == b.product &&
           a.process == b.process && a.device == b.device && a.item == b.item && a.unit == b.unit &&
           a.specKind == b.specKind && a.digits == b.digits && a.specUpper == b.specUpper &&
           a.specLower == b.specLower && sameList(a.enableFlags, b.enableFlags) && sameList(a.dataLines, b.dataLines);
}

} // namespace journal
