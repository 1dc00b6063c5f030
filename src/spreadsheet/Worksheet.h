#pragma once
#include "spreadsheet/Range.h"

#include <QString>
#include <memory>

namespace spreadsheet {

struct WorkbookState;

// One worksheet of an open workbook.
class Worksheet {
public:
    // A range by one cell ("A4", "$B$2", or "A4:C9") or by two corner cells.
    Range range(const QString& cell) const;
    Range range(const QString& first, const QString& last) const;
    Range range(const CellRect& rect) const;

    QString name() const;
    void setName(const QString& name);
    int number() const { return sheet_ + 1; } // from 1

private:
    friend class Workbook;
    Worksheet(std::shared_ptr<WorkbookState> state, int sheet);
    std::shared_ptr<WorkbookState> state_;
    int sheet_ = 0;
};

} // namespace spreadsheet
