#pragma once
#include "spreadsheet/CellRef.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <memory>

namespace spreadsheet {

struct WorkbookState;

// A rectangle of cells on one worksheet. Cheap to copy; it stays bound to its workbook and
// throws spreadsheet::Error once that workbook is closed.
class Range {
public:
    CellRect rect() const { return rect_; }
    // "B2:C5" (with absolute "$B$2:$C$5"), or one cell.
    QString address(bool absolute = false) const;

    // The value of the top-left cell as text ("" empty, numbers in their shortest form, ...).
    QString value() const;
    // Every cell's text, row by row, rect().rowCount() lists of rect().columnCount() texts.
    QList<QStringList> values() const;
    // The same texts handed to `each` one by one, in the same order, without a string of their
    // own: for reading a large range (Book::visitTexts).
    void forEachText(const std::function<void(int row, int column, QStringView text)>& each) const;

    // Enters the text into every cell of the range as if typed (numbers become numbers, "" clears).
    void setValue(const QString& text);
    void setValue(double number);
    // Stores the text exactly as given in every cell of the range, even one that reads as a
    // number ("0012" stays "0012"); "" clears.
    void setText(const QString& text);
    // Enters a block, row by row from the top-left cell, as if typed. Elements beyond the
    // range are ignored; cells of the range the block does not reach are cleared.
    void setValues(const QList<QStringList>& block);

    QString numberFormatLocal() const; // of the top-left cell
    // Adds the number format once and applies it to every cell of the range, empty ones included.
    void setNumberFormatLocal(const QString& code);

    // Deletes the cells and moves the cells below up, adjusting references to them.
    void deleteShiftUp();

private:
    friend class Worksheet;
    Range(std::shared_ptr<WorkbookState> state, int sheet, CellRect rect);
    std::shared_ptr<WorkbookState> state_;
    int sheet_ = 0;
    CellRect rect_;
};

} // namespace spreadsheet
