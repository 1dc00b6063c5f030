#pragma once
#include <QDateTime>
#include <QString>
#include <utility>
#include <vector>

namespace reports {

// What a report is about, printed on every chart page so that a page taken out of the file
// still says which product, characteristic and data it shows.
struct ReportIdentity {
    QString product, process, device, item, unit;
    QString specKind;             // "公差規格", "上限規格" or "下限規格"
    QString specUpper, specLower; // as the fields show them; empty where the kind has none
    int lotCount = 0;             // lots the report draws: enabled lots with values
    int measurementCount = 0;     // measurements per lot
    QString limitMethod;          // the limit list's item text
    QString chartKind;            // the chart list's item text
    QDateTime made;               // when the report was made
    QString version;              // the program's version
};

// The block as label and value rows, in print order.
std::vector<std::pair<QString, QString>> identityRows(const ReportIdentity& identity);

} // namespace reports
