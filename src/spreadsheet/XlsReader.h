#pragma once
#include <QString>
#include <memory>

namespace spreadsheet {

class Book;

// Reads a legacy BIFF workbook (.xls) into a new Book: every worksheet with its names, numbers
// and texts (dates as their ISO text). Throws spreadsheet::Error when the file cannot be read.
std::unique_ptr<Book> readXls(const QString& path);

} // namespace spreadsheet
