#include "reports/ResultReport.h"

#include "reports/ExcelSession.h"
#include "judge/CapabilityStudy.h"
#include "model/FileSafety.h"
#include "spreadsheet/Error.h"

#include <algorithm>

#include <QDir>

namespace reports {

QString writeResultWorkbook(ExcelSession& session, const ReportFolders& folders, const QDateTime& when, const ResultGrids& grids)
{
    if (!grids.record) throw spreadsheet::Error(QStringLiteral("判定結果を出力するシートがありません。"));
    if (!session.start()) return {};
    spreadsheet::Application& app = session.application();
    const bool study = !grids.study.empty();
    app.setSheetsInNewWorkbook(static_cast<int>(grids.grids.size()) + (study ? 1 : 0));
    session.setWorkbook(app.addWorkbook());
    for (size_t i = 0; i < grids.grids.size(); ++i) {
        session.setWorksheet(app.worksheet(static_cast<int>(i) + 1));
        session.worksheet().setName(grids.captions[i]);
        exchange::WriteGridBlock(session.worksheet(), *grids.record, grids.grids[i]);
    }
    if (study) {
        session.setWorksheet(app.worksheet(static_cast<int>(grids.grids.size()) + 1));
        session.worksheet().setName(judge::kCapabilityStudyTitle);
        qsizetype columns = 1;
        for (const QStringList& row : grids.study) columns = std::max(columns, row.size());
        QList<QStringList> rows(grids.study.begin(), grids.study.end());
        for (QStringList& row : rows)
            while (row.size() < columns) row.append(QString());
        const spreadsheet::CellRect block{1, 1, static_cast<int>(rows.size()), static_cast<int>(columns)};
        session.worksheet().range(block).setValues(rows);
    }
    session.setWorksheet(app.worksheet(1));
    // The spreadsheet program would keep the new workbook open unsaved; the engine has no window to
    // keep it in, so it is saved beside the other reports before it is handed over.
    model::makePrivateFolder(folders.saveFiles);
    return session.workbook().saveAs(freeFileName(folders.saveFiles + u'/' + timeStampPrefix(when) + grids.fileTag + kResultFileName));
}

} // namespace reports
