#include "HostileShapes.h"

#include "LegacyFiles.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/Styles.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::uint16_t kContinue = 0x003C;

QByteArray legacy(const QByteArray& sheetRecords, const QByteArray& globals = {})
{
    return compoundFile(biffWorkbook({{QStringLiteral("Sheet1"), sheetRecords}}, globals));
}

QByteArray latinString16(const QByteArray& text) { return u16le(static_cast<unsigned>(text.size())) + QByteArray(1, '\0') + text; }

QByteArray rkCell(int row, int column, int value)
{
    return biffRecord(0x027E, u16le(row) + u16le(column) + u16le(15) + u32le((static_cast<std::uint32_t>(value) << 2) | 2));
}

// A new workbook's parts with the worksheet (and, when given, the styles) replaced.
QByteArray package(const QByteArray& sheetData, const QByteArray& styles = {})
{
    static const std::vector<spreadsheet::ZipEntry> parts = spreadsheet::readZip(spreadsheet::Book::createNew(1)->toBytes());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    spreadsheet::ZipWriter zip(buffer, 1);
    for (const auto& p : parts) {
        if (p.name == "xl/worksheets/sheet1.xml")
            zip.add(p.name, "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + sheetData
                                + "</sheetData></worksheet>");
        else if (p.name == "xl/styles.xml" && !styles.isEmpty())
            zip.add(p.name, styles);
        else
            zip.add(p.name, p.data);
    }
    zip.finish();
    return buffer.data();
}

QByteArray oneCellRow(int row, int column, const QByteArray& value)
{
    const QByteArray r = QByteArray::number(row);
    return "<row r=\"" + r + "\"><c r=\"" + spreadsheet::columnLetters(column).toLatin1() + r + "\"><v>" + value + "</v></c></row>";
}

QByteArray worksheetBof() { return biffRecord(0x0809, u16le(0x0600) + u16le(0x0010) + u16le(0x0DBB) + u16le(0x07CC) + u32le(0) + u32le(6)); }

QByteArray someNumbers(int cells)
{
    QByteArray records;
    for (int i = 0; i < cells; ++i) records += numberCell(i / 100, i % 100, i * 0.25);
    return records;
}

// A workbook stream of `sheets` sheets (the first holding `first`) whose k-th sheet entry is
// moved to the first one's body plus `step` times k bytes.
QByteArray repointedSheets(int sheets, const QByteArray& first, int step)
{
    std::vector<LegacySheet> list{{QStringLiteral("Sheet1"), first}};
    for (int i = 2; i <= sheets; ++i) list.push_back({QStringLiteral("Sheet%1").arg(i), {}});
    QByteArray stream = biffWorkbook(list);
    std::uint32_t base = 0;
    int k = 0;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const unsigned type = static_cast<unsigned char>(stream[at]) | (static_cast<unsigned char>(stream[at + 1]) << 8);
        const unsigned size = static_cast<unsigned char>(stream[at + 2]) | (static_cast<unsigned char>(stream[at + 3]) << 8);
        if (type == 0x0085) {
            if (k == 0) base = qFromLittleEndian<quint32>(stream.constData() + at + 4);
            stream.replace(at + 4, 4, u32le(base + static_cast<std::uint32_t>(step * k++)));
        }
        if (type == 0x000A) break; // the end of the globals
        at += 4 + size;
    }
    return compoundFile(stream);
}

} // namespace

QByteArray sharedWorksheetBody(int sheets, int cells) { return repointedSheets(sheets, someNumbers(cells), 0); }

QByteArray nestedWorksheetBodies(int sheets, int cells)
{
    const QByteArray bof = worksheetBof();
    const QByteArray eof = biffRecord(0x000A, {});
    return repointedSheets(sheets, bof.repeated(sheets - 1) + someNumbers(cells) + eof.repeated(sheets - 1), static_cast<int>(bof.size()));
}

QByteArray plainLegacyWorkbook(qsizetype bytes)
{
    QByteArray records;
    return legacy(someNumbers(static_cast<int>(std::max<qsizetype>(0, bytes - 1200) / 18)));
}

QByteArray plainPackage(int cells)
{
    QByteArray rows;
    for (int r = 1; r <= cells; ++r) rows += oneCellRow(r, 1, QByteArray::number(r));
    return package(rows);
}

QByteArray mulBlankInPieces(int entries)
{
    QByteArray records = biffRecord(0x00BE, u16le(0) + u16le(0) + u16le(15));
    for (int i = 1; i < entries; ++i) records += biffRecord(kContinue, u16le(15));
    records += biffRecord(kContinue, u16le(static_cast<unsigned>(entries - 1))); // the last column
    records += numberCell(1, 0, 7);
    return legacy(records);
}

QByteArray sharedStringsInPieces(int strings)
{
    QByteArray globals = biffRecord(0x00FC, u32le(static_cast<std::uint32_t>(strings)) + u32le(static_cast<std::uint32_t>(strings)));
    for (int i = 0; i < strings; ++i) globals += biffRecord(kContinue, latinString16("s" + QByteArray::number(i)));
    return legacy(biffRecord(0x00FD, u16le(0) + u16le(0) + u16le(15) + u32le(static_cast<std::uint32_t>(strings - 1))), globals);
}

QByteArray manyNumberFormats(int formats)
{
    QByteArray globals;
    for (int i = 0; i < formats; ++i) {
        const unsigned id = 164 + static_cast<unsigned>(i);
        globals += biffRecord(0x041E, u16le(id) + latinString16("0.0\"u" + QByteArray::number(i) + "\""));
        globals += biffRecord(0x00E0, u16le(0) + u16le(id) + QByteArray(16, '\0'));
    }
    QByteArray records;
    for (int i = 0; i < formats; ++i) records += numberCell(i / 100, i % 100, i + 0.5, 16 + i);
    return legacy(records, globals);
}

QByteArray legacyCellsRightToLeft(int rows)
{
    QByteArray records;
    for (int r = 0; r < rows; ++r)
        for (int c = spreadsheet::kMaxColumns - 1; c >= 0; --c) records += rkCell(r, c, c + 1);
    return legacy(records);
}

QByteArray packageCellsRightToLeft(int rows)
{
    QByteArray data;
    for (int r = 1; r <= rows; ++r)
        for (int c = spreadsheet::kMaxColumns; c >= 1; --c) data += oneCellRow(r, c, QByteArray::number(c));
    return package(data);
}

QByteArray datesOverManyStyles(int formats, int cells, bool dates)
{
    QByteArray styles = spreadsheet::Styles::defaultPart();
    const qsizetype begin = styles.indexOf("<cellXfs");
    const qsizetype end = styles.indexOf("</cellXfs>") + 10;
    QByteArray xfs = "<cellXfs count=\"" + QByteArray::number(formats) + "\">";
    for (int i = 0; i < formats; ++i) xfs += "<xf numFmtId=\"0\" fontId=\"0\"/>";
    styles.replace(begin, end - begin, xfs + "</cellXfs>");
    const QByteArray s = QByteArray::number(formats - 1);
    QByteArray data;
    for (int r = 1; r <= cells; ++r) {
        const QByteArray n = QByteArray::number(r);
        data += "<row r=\"" + n + "\"><c r=\"A" + n + "\" s=\"" + s + (dates ? "\" t=\"d\"><v>2024-03-15</v>" : "\"><v>45366.0000</v>") + "</c></row>";
    }
    return package(data, styles);
}

std::vector<HostileShape> hostileShapes(int scale)
{
    std::vector<HostileShape> shapes;
    auto legacyShape = [&](const char* name, QByteArray hostile) {
        const qsizetype size = hostile.size();
        shapes.push_back({name, std::move(hostile), plainLegacyWorkbook(size)});
    };
    legacyShape("xls MULBLANK in CONTINUE pieces", mulBlankInPieces(60000 * scale));
    legacyShape("xls shared strings in CONTINUE pieces", sharedStringsInPieces(40000 * scale));
    legacyShape("xls FORMAT and XF records", manyNumberFormats(std::min(6000 * scale, 60000)));
    legacyShape("xls RK cells right to left", legacyCellsRightToLeft(3 * scale));
    shapes.push_back({"xlsx cells right to left, a row element each", packageCellsRightToLeft(3 * scale),
                      plainPackage(3 * scale * spreadsheet::kMaxColumns)});
    shapes.push_back({"xlsx date cells over many cell formats", datesOverManyStyles(50000 * scale, 1000 * scale),
                      datesOverManyStyles(50000 * scale, 1000 * scale, false)});
    return shapes;
}

} // namespace testing_support
