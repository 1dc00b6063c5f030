#include "reports/HistogramReport.h"

#include "exchange/WorksheetWriter.h"
#include "reports/ExcelSession.h"
#include "spreadsheet/CellRef.h"

#include <algorithm>

namespace reports {

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
