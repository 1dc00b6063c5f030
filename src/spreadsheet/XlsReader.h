#pragma once
#include <QByteArray>
#include <memory>

namespace spreadsheet {

class Book;

// Size of a legacy workbook file that is read at all.
inline constexpr qsizetype kMaxXlsFileSize = 128 << 20;

// Reads a legacy workbook (.xls: BIFF8, and BIFF5 as older programs wrote it) into a new Book:
// every worksheet with its names, numbers, texts, booleans, error values, the cached results of
// formulas (their formulas are not kept) and each cell's number format. Dates are numbers
// (day serials of the 1900 date system) with their date formats, as in Office Open XML.
// Memory follows the cells actually present; sheets claiming more than kMaxXlsClaimedCells in
// all are refused before any cell is read. Throws spreadsheet::Error for anything unreadable.
class XlsReader {
public:
    static std::unique_ptr<Book> read(const QByteArray& file);
};

// Cells the worksheets of one legacy workbook may claim in all.
inline constexpr unsigned long long kMaxXlsClaimedCells = 8ULL << 20;

} // namespace spreadsheet
