#include "reports/ResultReport.h"

#include "chartmodel/ChartTexts.h"
#include "judge/Capability.h"
#include "judge/SpcJudgement.h"
#include "model/FileSafety.h"
#include "reports/ExcelSession.h"
#include "reports/PageFrame.h"
#include "sheetview/ViewTexts.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"

#include <algorithm>
#include <vector>

#include <QDir>

namespace reports {

namespace {

// Columns as wide as the longest text they show (a full-width character counts twice), within
// bounds; a text alone in its row (a note under the study's table) runs on over the empty cells
// beside it and widens nothing. Cells whose text begins with "×" red and bold as the window draws
// them; the grid's heading row (row 4) frozen and printed on every page; each table one page wide.
void formatSheet(spreadsheet::Book& book, int sheet, bool grid)
{
    const auto used = book.cells(sheet).usedRect();
    if (!used) return;
    std::vector<int> filled(size_t(used->bottom - used->top + 1), 0);
    for (int r = used->top; r <= used->bottom; ++r)
        for (int c = used->left; c <= used->right; ++c) filled[size_t(r - used->top)] += !book.text(sheet, r, c).isEmpty();
    for (int c = used->left; c <= used->right; ++c) {
        int widest = 0;
        for (int r = used->top; r <= used->bottom; ++r) {
            const QString text = book.text(sheet, r, c);
            if (text.isEmpty()) continue;
            if (text.startsWith(u'×')) book.setFont(sheet, {r, c, r, c}, true, 0xFF0000);
            if (filled[size_t(r - used->top)] == 1) continue;
            int width = 0;
            for (const QChar ch : text) width += ch.unicode() < 0x80 || (ch.unicode() >= 0xFF61 && ch.unicode() <= 0xFF9F) ? 1 : 2;
            // A number shows as its format says: "0.00000" is seven characters whatever the value.
            const QString format = book.numberFormat(sheet, r, c);
            if (format != QStringLiteral("General") && !format.contains(u'@')) width = std::max(width, int(format.size()) + 2);
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

ResultGrids resultGrids(const sheetview::SheetView& view, const model::SheetRecord& record, const chartmodel::ChartModel& model)
{
    ResultGrids g;
    g.record = &record;
    g.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &view.cells, &view.lots, view.lotRows + 1, view.measurementColumns},
               exchange::GridBlock{exchange::GridKind::Capability, &view.calc, nullptr, view.calcRowCount, judge::kCalcColumns},
               exchange::GridBlock{exchange::GridKind::Spc, &view.spc, nullptr, view.spcRowCount, judge::kSpcColumns}};
    const QStringList captions = sheetview::pageCaptions(view.chart);
    for (int i = 0; i < 3; ++i) g.captions[size_t(i)] = captions[i];
    if (view.limitMethod == judge::LimitMethod::Standard && model.study.study) {
        g.study = chartmodel::studySheetLines(model.study);
    }
    g.identity = model.identification;
    return g;
}

QString writeResultWorkbook(ExcelSession& session, const ReportFolders& folders, const QDateTime& when, const ResultGrids& grids)
{
    if (!grids.record) throw spreadsheet::Error(QStringLiteral("判定結果を出力するシートがありません。"));
    session.start();
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
        session.worksheet().setName(chartmodel::kCapabilityStudyTitle);
        const std::vector<QStringList> rows = chartmodel::studyRows(grids.study);
        const QList<QStringList> block(rows.begin(), rows.end());
        session.worksheet().range(spreadsheet::CellRect{1, 1, int(block.size()), 3}).setValues(block);
        // Each figure with its decimals, as on the screen ("0.0" for parts per million).
        for (size_t i = 0; i < grids.study.size(); ++i)
            if (grids.study[i].decimals >= 0)
                session.worksheet().range(spreadsheet::CellRect{int(i) + 1, 2, int(i) + 1, 2})
                    .setNumberFormatLocal(exchange::fixedNumberFormat(grids.study[i].decimals));
    }
    spreadsheet::Book& book = session.workbook().book();
    for (int i = 0; i < book.worksheetCount(); ++i) {
        formatSheet(book, i, size_t(i) < grids.grids.size());
        setPageFrame(book, i, grids.identity);
    }
    session.setWorksheet(app.worksheet(1));
    // The spreadsheet program would keep the new workbook open unsaved; the engine has no window to
    // keep it in, so it is saved beside the other reports before it is handed over.
    model::makePrivateFolder(folders.saveFiles);
    return session.workbook().saveAsNew(folders.saveFiles + u'/' + timeStampPrefix(when) + grids.fileTag + kResultFileName);
}

} // namespace reports
