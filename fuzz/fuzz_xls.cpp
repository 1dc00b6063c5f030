// Feeds arbitrary bytes to the legacy workbook (.xls) reader and writes what it accepts. Input
// that is not a compound document becomes the workbook stream of a sound one, so the record
// reading is reached without passing through the container.
#include "LegacyFiles.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool container = input.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    try {
        auto book = spreadsheet::Book::fromBytes(container ? input : testing_support::compoundFile(input), "x");
        for (int s = 0; s < book->worksheetCount(); ++s) {
            (void)book->text(s, 1, 1);
            (void)book->numberFormat(s, 1, 1);
        }
        (void)spreadsheet::Book::fromOoxml(book->toBytes());
    } catch (const spreadsheet::Error&) {
    }
    return 0;
}
