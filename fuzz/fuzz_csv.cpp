// Feeds arbitrary bytes to the text file reader.
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/Error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QList<QStringList> rows = spreadsheet::readCsv(bytes);
        (void)rows;
    } catch (const spreadsheet::Error&) {
    }
    return 0;
}
