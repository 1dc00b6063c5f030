// Sheet records as an import leaves them, for the core tests of several layers.
#pragma once
#include "model/SheetRecord.h"

#include <QString>
#include <initializer_list>

namespace test_support {

// A tolerance sheet with three decimals, unit mm and one data line per lot
// ("K001,9.8,10.0,10.2"), every lot enabled.
inline model::SheetRecord importedSheet(const QString& item, std::initializer_list<const char*> lines, int lots = 10,
                                        int measurements = 3, const QString& upper = QStringLiteral("10.500"),
                                        const QString& lower = QStringLiteral("9.500"))
{
    model::SheetRecord r;
    r.product = QStringLiteral("P-100");
    r.item = item;
    r.unit = QStringLiteral("mm");
    r.specKind = QStringLiteral("公差規格");
    r.digits = QStringLiteral("3");
    r.specUpper = upper;
    r.specLower = lower;
    r.lotCount = lots;
    r.measurementCount = measurements;
    for (const char* l : lines) {
        r.dataLines.append(QString::fromUtf8(l));
        r.enableFlags.append(QStringLiteral("1"));
    }
    return r;
}

} // namespace test_support
