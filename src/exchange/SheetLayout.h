#pragma once
#include <QStringList>

#include "model/SheetRecord.h"

namespace exchange {

// The cell layout of one sheet in a CSV file and in an exchanged worksheet:
//   row 1      A1:I1    the nine header labels
//   row 2      A2:I2    the record's nine header fields
//   row 3               empty
//   row 4      A4 ...   lot-number heading, then one heading per measurement column
//   rows 5-104 A        lot number of one lot
//              B:CW     measurements 1 to 100 of that lot
// The reader looks at no cell outside A2:I2 and A5:CW104.
struct SheetLayout {
    static constexpr int kLabelRow = 1;
    static constexpr int kFieldRow = 2;
    static constexpr int kHeadingRow = 4;
    static constexpr int kFirstLotRow = 5;
    static constexpr int kMaxLots = 100;
    static constexpr int kLastLotRow = kFirstLotRow + kMaxLots - 1; // 104
    static constexpr int kFieldCount = 9;                           // A..I
    static constexpr int kColumns = 101;                            // A..CW: lot number and 100 measurements
    static constexpr int kMaxSheets = 100;

    // "品種名称", "工程名称", ... "規格下限".
    static const QStringList& labels();
    // product, process, device, item, unit, spec kind, digits, spec upper, spec lower.
    static QStringList fields(const model::SheetRecord& record);
    // The inverse of fields(); missing entries give empty fields.
    static void setFields(model::SheetRecord& record, const QStringList& fields);
};

// The headings a sheet view shows: "ﾛｯﾄ№" over the lot numbers, "N1", "N2", ... over the
// measurement columns.
QString lotHeading();
QString measurementHeading(int column); // column from 0

} // namespace exchange
