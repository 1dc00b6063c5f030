#include "exchange/CellReference.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"

#include <QRegularExpression>

namespace exchange {

using spreadsheet::Application;
using spreadsheet::ReferenceStyle;

RowCol CellToRowCol(const QString& a1)
{
    RowCol out;
    try {
        const QString r1c1 = Application::convertFormula(a1, ReferenceStyle::A1, ReferenceStyle::R1C1, true);
        static const QRegularExpression form(QStringLiteral("^R(\\d+)C(\\d+)$"));
        const QRegularExpressionMatch m = form.match(r1c1);
        if (m.hasMatch()) {
            out.row = m.captured(1).toInt();
            out.col = m.captured(2).toInt();
        }
    } catch (const spreadsheet::Error&) {
        // A refused reference leaves the position reached so far.
    }
    return out;
}

QString RowColToCell(int row, int col)
{
    try {
        return Application::convertFormula(QStringLiteral("R%1C%2").arg(row).arg(col), ReferenceStyle::R1C1,
                                           ReferenceStyle::A1, true);
    } catch (const spreadsheet::Error&) {
        return {};
    }
}

} // namespace exchange
