// Records for the sheet view tests, built as an import leaves them.
#pragma once
#include "ImportedSheet.h"
#include "model/SheetRecord.h"

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace sheetview_test {

inline QString q(const char* s) { return QString::fromUtf8(s); }

// A tolerance 9.5 to 10.5 with three decimals, the item "Length", and one data line per lot
// ("K001,9.8,10.0,10.2"); every lot enabled.
inline model::SheetRecord record(std::initializer_list<const char*> lines, int lotCount = 10, int measurements = 3)
{
    return test_support::importedSheet(q("Length"), lines, lotCount, measurements, q("10.5"), q("9.5"));
}

} // namespace sheetview_test
