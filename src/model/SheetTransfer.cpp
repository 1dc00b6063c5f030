#include "model/SheetTransfer.h"

#include "model/DataLine.h"
#include "model/NumberText.h"
#include "model/Text.h"

#include <algorithm>

namespace model {

QStringList enableFlagsOf(const CellTable& lots, int lotCount)
{
    QStringList flags;
    flags.reserve(lotCount);
    for (int r = 1; r <= std::min(lotCount, CellTable::kMaxLots); ++r)
        flags.append(lots.flag(1, r) ? QStringLiteral("1") : QStringLiteral("0"));
    return flags;
}

QStringList dataLinesOf(const CellTable& lots, const CellTable& cells, int lotCount, int measurementCount)
{
    const int rows = std::min(lotCount, CellTable::kMaxLots);
    QStringList lines;
    lines.reserve(std::max(rows, 0));
    const int cols = std::clamp(measurementCount, 0, CellTable::kCols);
    for (int r = 1; r <= rows; ++r) {
        // Each line written straight from the cells into a text of its length (quoting, rare,
        // makes it grow).
        const QString& lot = lots.text(0, r);
        qsizetype length = lot.size() + 3 + cols;
        for (int c = 0; c < cols; ++c) length += cells.text(c, r).size();
        QString line;
        line.reserve(length);
        appendDataLine(line, lot, cols, [&cells, r](qsizetype c) -> const QString& { return cells.text(int(c), r); });
        lines.append(std::move(line));
    }
    return lines;
}

void applyEnableFlags(const QStringList& flags, CellTable& lots)
{
    const int n = int(std::min<qsizetype>(flags.size(), CellTable::kMaxLots));
    for (int i = 0; i < n; ++i) lots.setFlag(1, i + 1, flags[i] == u"1");
}

void applyDataLines(const QStringList& lines, std::initializer_list<CellTable*> lotNumberTables,
                    CellTable& cells, int measurementCount)
{
    const int n = int(std::min<qsizetype>(lines.size(), CellTable::kMaxLots));
    const int cols = std::clamp(measurementCount, 0, CellTable::kCols);
    for (int i = 0; i < n; ++i) {
        const int r = i + 1;
        const ParsedDataLine line = readDataLine(lines[i]);
        for (CellTable* t : lotNumberTables) t->setText(0, r, line.lotNumber);
        const int k = int(std::min<qsizetype>(line.cells.size(), cols));
        for (int c = 0; c < k; ++c) cells.setText(c, r, line.cells[c]);
    }
}

std::optional<CellPos> reformatCells(CellTable& cells, int digits)
{
    for (int r = 1; r <= CellTable::kMaxLots; ++r)
        for (int c = 0; c < CellTable::kCols; ++c) {
            const QString& t = cells.text(c, r);
            if (t.isEmpty()) continue;
            if (isBlank(t)) {
                cells.setText(c, r, QString());
                continue;
            }
            const auto v = tryParseNumber(t);
            if (!v) return CellPos{c, r};
            // A text already as the digits show it is kept: no new string for it.
            char fixed[kFixedTextSize];
            if (const int n = writeFixedText(*v, digits, fixed)) {
                if (t != QLatin1StringView(fixed, n)) cells.setText(c, r, QString::fromLatin1(fixed, n));
            } else {
                cells.setText(c, r, formatFixed(*v, digits));
            }
        }
    return std::nullopt;
}

} // namespace model
