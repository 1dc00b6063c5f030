#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

#include "model/CommaText.h"

namespace model {

// One lot as a line: the lot number, a comma, then the lot's cells as comma text.
// A lot number that needs quoting (comma, quote, character <= 32) is written quoted so
// that it survives a save and load unchanged; plain lot numbers are written as they are.
QString writeDataLine(const QString& lotNumber, const QStringList& cells);
// The same line appended to `out`, cell(i) giving the i-th of `count` cells.
template <typename CellAt>
void appendDataLine(QString& out, QStringView lotNumber, qsizetype count, const CellAt& cell)
{
    appendCommaField(out, lotNumber);
    out += u',';
    appendCommaText(out, count, cell);
}

struct ParsedDataLine {
    QString lotNumber;
    QStringList cells;
};

// A line that begins with a quote takes its lot number by the comma-field rule; any other
// line's lot number is the text before the first comma (empty when there is none, in which
// case the whole line holds the cells).
ParsedDataLine readDataLine(QStringView line);

} // namespace model
