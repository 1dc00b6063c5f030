#include "model/DataLine.h"

#include "model/CommaText.h"

namespace model {

QString writeDataLine(const QString& lotNumber, const QStringList& cells)
{
    QString line;
    appendDataLine(line, lotNumber, cells.size(), [&cells](qsizetype i) -> const QString& { return cells[i]; });
    return line;
}

ParsedDataLine readDataLine(QStringView line)
{
    ParsedDataLine out;
    if (line.startsWith(u'"')) {
        qsizetype pos = 0;
        readCommaField(line, pos, out.lotNumber);
        out.cells = readCommaText(line.mid(pos));
        return out;
    }
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0) {
        out.cells = readCommaText(line);
    } else {
        out.lotNumber = line.left(comma).toString();
        out.cells = readCommaText(line.mid(comma + 1));
    }
    return out;
}

} // namespace model
