#pragma once
#include "chartmodel/ChartModel.h"
#include "exchange/WorksheetWriter.h"
#include "model/SheetRecord.h"
#include "reports/ReportFiles.h"
#include "sheetview/SheetView.h"

#include <QDateTime>
#include <QStringList>
#include <array>
#include <vector>

namespace reports {

class ExcelSession;

// The judgement results of the shown sheet: its record (for the header rows) and the three
// grids of the pages, each with the page's caption as its worksheet's name.
struct ResultGrids {
    const model::SheetRecord* record = nullptr;
    std::array<exchange::GridBlock, 3> grids; // measurements, capability, SPC rules
    std::array<QString, 3> captions;
    // Under the control chart constants: the capability study's lines (chartmodel::studySheetLines),
    // written into a fourth worksheet; empty otherwise.
    std::vector<chartmodel::StudyLine> study;
    chartmodel::Identification identity; // in every printed page's header and footer
    // Batch reports: the sheet number after the time stamp ("03_"); empty from the window.
    QString fileTag;
};

// The three grids of the view with the pages' captions and, under the control chart constants,
// the lines of the model's capability study page. The grids point into `view`, which must outlive the result.
ResultGrids resultGrids(const sheetview::SheetView& view, const model::SheetRecord& record, const chartmodel::ChartModel& model);

// The result workbook's file: "判定結果.xlsx" after the time stamp, in the save folder.
inline const QString kResultFileName = QStringLiteral("判定結果.xlsx");

// Adds a workbook of three worksheets named after the pages (four with the capability study, its
// figures in their number formats), writes each grid with its header into its worksheet, puts
// the identification on every printed page, makes worksheet 1 the current one again and saves
// the workbook under the time-stamped name (a free one when it exists). Returns the path.
QString writeResultWorkbook(ExcelSession& session, const ReportFolders& folders, const QDateTime& when, const ResultGrids& grids);

} // namespace reports
