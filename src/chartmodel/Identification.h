// What a chart or report is about, so that a page taken out of a file or a pasted picture still
// says which product, characteristic and data it shows, how it was judged and by what program.
#pragma once
#include "sheetview/SheetView.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace chartmodel {

struct Identification {
    QString product, process, device, item, unit;
    QString specKind;             // "公差規格", "上限規格" or "下限規格"
    QString specUpper, specLower; // with the sheet's digits; empty where the kind has none
    int lotCount = 0;             // lots the charts draw: enabled lots with values
    int measurementCount = 0;     // measurements per lot
    QString limitMethod;          // the limit list's item text
    QString chartKind;            // the chart list's item text
    QDateTime made;               // when the chart or report was made
    QString version;              // the program's version
};

// The header fields, the kind's text and the limits it has, the lot rows of the result grid,
// the measurement count, the list texts of the limit method and chart kind, `made` and the
// program's version.
Identification identification(const sheetview::SheetView& view, const QDateTime& made);

// The block as label and value rows, in print order.
std::vector<std::pair<QString, QString>> identityRows(const Identification& id);

// The same in three lines for the top of a copied, saved or printed chart: the product, process
// and device; the item, unit, specification, limit method and chart kind; the date, the
// program's name and version.
QStringList identityLines(const Identification& id);

// A printed page's header and footer in the spreadsheet's codes (&L, &C, &R; "&" of the texts
// doubled): the product, process and device left, the item, unit and specification in the
// middle, the limit method and chart kind right; the footer the date, the page number and the
// program. Each within the 255 characters a spreadsheet program accepts: long names are cut.
struct PageMargins {
    QString header;
    QString footer;
};
PageMargins pageMargins(const Identification& id);

} // namespace chartmodel
