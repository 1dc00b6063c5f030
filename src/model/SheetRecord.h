#pragma once
#include <QString>
#include <QStringList>
#include <vector>

#include "model/Settings.h"

namespace model {

inline const QStringList& specKindTexts()
{
    static const QStringList t{QStringLiteral("公差規格"), QStringLiteral("上限規格"), QStringLiteral("下限規格")};
    return t;
}

// One sheet as text, exactly as the view shows it.
struct SheetRecord {
    QString product, process, device, item, unit, specKind, digits, specUpper, specLower;
    int lotCount = 0;
    int measurementCount = 0;
    QStringList enableFlags; // "1" enabled, "0" disabled, one per lot row
    QStringList dataLines;   // lot number, comma, comma text of the cells

    friend bool operator==(const SheetRecord&, const SheetRecord&) = default;
};

// Whether a measurement was typed anywhere: a data line holds more than its lot number and
// separators.
bool holdsMeasurements(const SheetRecord& record);

// The name of sheet number n (from 1) until the operator names it: its tab caption and item.
QString defaultSheetName(int sheetNumber);

// The content of a new sheet number n (from 1).
SheetRecord defaultRecord(int sheetNumber, const AppSettings& app, int lotCount, int measurementCount);

// SpecKind index of a stored spec kind text: 1 "上限規格", 2 "下限規格", anything else 0.
int specKindIndex(const QString& text);

// The number of decimals a stored digits text stands for: blank gives 3; an integer is
// kept within 0..5; any other text gives 3.
int digitsFromText(const QString& text);

// The workbook: one record per sheet tab, 1 to 100 of them.
class SheetStore {
public:
    int count() const { return int(records_.size()); }
    SheetRecord& operator[](int i) { return records_.at(size_t(i)); }
    const SheetRecord& operator[](int i) const { return records_.at(size_t(i)); }

    // Sets the number of sheets. Records below count keep their content; records from
    // count upward are dropped. With reinitialise every record, otherwise only the added
    // ones, becomes the default record of its sheet number.
    void resize(int count, bool reinitialise, const AppSettings& app, int lotCount, int measurementCount);

private:
    std::vector<SheetRecord> records_;
};

} // namespace model
