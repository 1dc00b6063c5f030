#include "reports/ResultReport.h"

#include "reports/ExcelSession.h"
#include "judge/CapabilityStudy.h"
#include "model/FileSafety.h"
#include "spreadsheet/Error.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/SheetData.h"

#include <algorithm>

#include <QDir>

namespace reports {

namespace {

// Columns as wide as the longest text they show (a full-width character counts twice), within
// bounds; cells whose text begins with "×" red and bold as the window draws them; the grid's
// heading row (row 4) frozen and printed on every page; each table one page wide.
void formatSheet(spreadsheet::Book& book, int sheet, bool grid)
{
    const auto used = book.cells(sheet).usedRect();
    if (!used) return;
    for (int c = used->left; c <= used->right; ++c) {
        int widest = 0;
        for (int r = used->top; r <= used->bottom; ++r) {
            const QString text = book.text(sheet, r, c);
            if (text.isEmpty()) continue;
            int width = 0;
            for (const QChar ch : text) width += ch.unicode() < 0x80 || (ch.unicode() >= 0xFF61 && ch.unicode() <= 0xFF9F) ? 1 : 2;
            // A number shows as its format says: "0.00000" is seven characters whatever the value.
            const QString format = book.numberFormat(sheet, r, c);
            if (format != QStringLiteral("General") && !format.contains(u'@')) width = std::max(width, int(format.size()) + 2);
            if (text.startsWith(u'×')) book.setFont(sheet, {r, c, r, c}, true, 0xFF0000);
            widest = std::max(widest, width);
        }
        book.setColumnWidth(sheet, c, c, std::clamp(widest + 2, 6, 60));
    }
    if (grid) {
        book.freezeTopRows(sheet, 4);
        book.setPrintTitleRows(sheet, 4, 4);
    }
    book.fitToPageWidth(sheet, true);
}

} // namespace

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
    spreadsheet::Book& book = session.workbook().book();
    for (int i = 0; i < book.worksheetCount(); ++i) formatSheet(book, i, size_t(i) < grids.grids.size());
    session.setWorksheet(app.worksheet(1));
    // The spreadsheet program would keep the new workbook open unsaved; the engine has no window to
    // keep it in, so it is saved beside the other reports before it is handed over.
    model::makePrivateFolder(folders.saveFiles);
    return session.workbook().saveAsNew(folders.saveFiles + u'/' + timeStampPrefix(when) + grids.fileTag + kResultFileName);
}

} // namespace reports
