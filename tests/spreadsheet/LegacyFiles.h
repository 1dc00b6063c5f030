#pragma once
// Legacy workbooks (.xls) put together record by record, for tests that need files no program writes.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace testing_support {

QByteArray biffRecord(std::uint16_t type, const QByteArray& body);
QByteArray u16le(unsigned v);
QByteArray u32le(std::uint32_t v);
QByteArray f64le(double v);

// A BIFF8 worksheet's records between its BOF and EOF: DIMENSIONS claiming rows x columns
// unless told otherwise; add cell records after it.
QByteArray dimensions(std::uint32_t rows, std::uint16_t columns);
QByteArray numberCell(int row, int column, double v, int xf = 15);
QByteArray labelCell(int row, int column, const QString& text, int xf = 15);
QByteArray boolCell(int row, int column, bool v, bool isError = false, int xf = 15);

struct LegacySheet {
    QString name;
    QByteArray records; // between BOF and EOF
};

// A BIFF8 workbook stream: globals (code page, cell formats 0 to 15, the extra global records
// given, one BOUNDSHEET per sheet) and the sheets' substreams.
QByteArray biffWorkbook(const std::vector<LegacySheet>& sheets, const QByteArray& globals = {});

// A compound document holding `stream` as "Workbook" in ordinary sectors.
QByteArray compoundFile(const QByteArray& stream, const QString& streamName = QStringLiteral("Workbook"));

} // namespace testing_support
