// Feeds arbitrary bytes to the workbook reader, and edits and writes what it accepts. Input that
// is not a zip package becomes the worksheet part of an otherwise valid workbook, so the XML
// reading is reached without passing through compression.
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray withWorksheet(const QByteArray& sheetXml)
{
    static const std::vector<sheet::ZipEntry> parts = sheet::readZip(sheet::Book::createNew(1)->toBytes());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    sheet::ZipWriter zip(buffer, 0);
    for (const auto& p : parts) zip.add(p.name, p.name == "xl/worksheets/sheet1.xml" ? sheetXml : p.data);
    zip.finish();
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool package = size >= 2 && data[0] == 'P' && data[1] == 'K';
    try {
        auto book = sheet::Book::fromOoxml(package ? input : withWorksheet(input));
        if (book->worksheetCount() > 0) {
            (void)book->text(0, 1, 1);
            book->setTyped(0, 2, 2, QStringLiteral("1.5"));
            book->setNumberFormat(0, {1, 1, 2, 2}, QStringLiteral("0.000_ "));
            book->deleteShiftUp(0, {3, 1, 5, 8});
        }
        (void)sheet::Book::fromOoxml(book->toBytes());
    } catch (const sheet::Error&) {
    }
    return 0;
}
