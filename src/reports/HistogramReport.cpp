#include "reports/HistogramReport.h"

#include "exchange/WorksheetWriter.h"
#include "reports/ExcelSession.h"
#include "spreadsheet/CellRef.h"

#include <algorithm>

namespace reports {

HistogramData histogramData(const model::CellTable& cells, const model::CellTable& lots, int lotCount, int measurementCount,
                            const QString& digitsText, int classes)
{
    HistogramData d;
    d.numberFormat = exchange::digitsNumberFormat(digitsText);
    d.classes = classes;
    const int rows = std::clamp(lotCount, 0, model::CellTable::kMaxLots);
    const int cols = std::clamp(measurementCount, 0, model::CellTable::kCols);
    d.block.reserve(rows);
    for (int r = 1; r <= rows; ++r) {
        if (!lots.flag(1, r)) continue;
        QStringList line;
        line.reserve(cols);
        for (int c = 0; c < cols; ++c) line.append(cells.text(c, r));
        d.block.append(std::move(line));
    }
    while (d.block.size() < rows) d.block.append(QStringList(cols, QString()));
    return d;
}

QString fillHistogram(ExcelSession& session, const ReportFolders& folders, const QDateTime& when, const HistogramData& data)
{
    const QString copy = copyTemplate(folders.formFiles + u'/' + kHistogramTemplateName, folders.saveFiles, when, data.fileTag);
    if (!session.start()) return copy;
    session.setWorkbook(session.application().openWorkbook(copy));
    session.setWorksheet(session.application().worksheet(1));

    const int rows = static_cast<int>(data.block.size());
    const int cols = rows ? static_cast<int>(data.block.first().size()) : 0;
    if (rows > 0 && cols > 0) {
        spreadsheet::Range block = session.worksheet().range(spreadsheet::CellRect{1, 1, rows, cols});
        block.setValues(data.block);
        block.setNumberFormatLocal(data.numberFormat);
    }
    session.setWorksheet(session.application().worksheet(2));
    session.worksheet().range(QStringLiteral("B19")).setValue(static_cast<double>(data.classes));
    session.workbook().save();
    return copy;
}

} // namespace reports
