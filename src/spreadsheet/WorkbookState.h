#pragma once
// What the handles of one open workbook share.
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QString>
#include <atomic>
#include <memory>

namespace spreadsheet {

struct WorkbookState {
    std::unique_ptr<Book> book;
    QString path; // where it was opened from or last saved; empty for a new workbook never saved
    QString name; // "Book1" for a new one, else the file name
    std::atomic<bool> saved{true}; // set by the handles of worksheets filled at the same time
    bool open = true;

    Book& checked()
    {
        if (!open || !book) throw Error(QStringLiteral("The workbook %1 has been closed.").arg(name));
        return *book;
    }
};

} // namespace spreadsheet
