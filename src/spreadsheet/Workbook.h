#pragma once
#include "spreadsheet/Worksheet.h"

#include <QString>
#include <memory>

namespace spreadsheet {

class Book;
struct WorkbookState;

// An open workbook of an Application.
class Workbook {
public:
    int worksheetCount() const;
    // Worksheet by number, from 1.
    Worksheet worksheet(int number) const;

    // Saves to the file it came from (a name ending in .xls, .csv or .txt is written with .xlsx).
    void save();
    // Saves as Office Open XML; a name ending in .xls (or .csv, .txt) is written with the ending
    // .xlsx, and a name without an extension gets ".xlsx". Returns the path written, which
    // becomes the workbook's full name.
    QString saveAs(const QString& path);
    // As saveAs, into a new file: the first name of path, name_2.xlsx, ... that no entry has.
    QString saveAsNew(const QString& path);
    // Readies the workbook for its worksheets to be filled at the same time, one thread each
    // (Book::prepareConcurrentFill).
    void prepareConcurrentFill();

    bool saved() const;
    void setSaved(bool saved);
    // Closes without saving; every handle of the workbook becomes unusable.
    void close();
    bool isOpen() const;

    QString fullName() const; // the file path, empty for a new workbook never saved
    QString name() const;     // "Book1" or the file name

    Book& book() const; // the engine beneath, for inspection

    // The path a save to `path` actually writes.
    static QString savePathFor(const QString& path);

private:
    friend class Application;
    explicit Workbook(std::shared_ptr<WorkbookState> state);
    std::shared_ptr<WorkbookState> state_;
};

} // namespace spreadsheet
