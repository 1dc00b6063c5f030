// Feeds arbitrary bytes to the workbook reader, and edits and writes what it accepts. Input that
// is not a zip package becomes the worksheet part (or, when it starts with "<sst", the shared
// strings part) of an otherwise valid workbook, so the XML reading is reached without passing
// through compression.
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray withPart(const QByteArray& xml)
{
    static const std::vector<spreadsheet::ZipEntry> parts = [] {
        auto book = spreadsheet::Book::createNew(1);
        book->setTyped(0, 1, 1, QStringLiteral("text")); // gives the workbook a shared strings part
        return spreadsheet::readZip(book->toBytes());
    }();
    const bool strings = xml.startsWith("<sst");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    spreadsheet::ZipWriter zip(buffer, 0);
    for (const auto& p : parts) {
        if (p.name == "xl/sharedStrings.xml" && strings) zip.add(p.name, xml);
        else if (p.name == "xl/worksheets/sheet1.xml" && !strings) zip.add(p.name, xml);
        else zip.add(p.name, p.data);
    }
    zip.finish();
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool package = size >= 2 && data[0] == 'P' && data[1] == 'K';
    try {
        auto book = spreadsheet::Book::fromOoxml(package ? input : withPart(input));
        if (book->worksheetCount() > 0) {
            (void)book->text(0, 1, 1);
            book->setTyped(0, 2, 2, QStringLiteral("1.5"));
            book->setTyped(0, 2, 3, QStringLiteral("new text"));
            book->setNumberFormat(0, {1, 1, 2, 2}, QStringLiteral("0.000_ "));
            book->deleteShiftUp(0, {3, 1, 5, 8});
        }
        (void)spreadsheet::Book::fromOoxml(book->toBytes());
    } catch (const spreadsheet::Error&) {
    }
    return 0;
}
