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

} // namespace

QByteArray encodeRecord(const model::SheetRecord& r)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kRecordFormat << r.product << r.process << r.device << r.item << r.unit << r.specKind << r.digits
        << r.specUpper << r.specLower << qint32(r.lotCount) << qint32(r.measurementCount) << r.enableFlags
        << r.dataLines;
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
    qint32 lots = 0, measurements = 0;
    in >> r.product >> r.process >> r.device >> r.item >> r.unit >> r.specKind >> r.digits >> r.specUpper >>
        r.specLower >> lots >> measurements >> r.enableFlags >> r.dataLines;
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
