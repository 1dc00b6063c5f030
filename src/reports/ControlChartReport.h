#pragma once
#include "judge/ControlLimits.h"
#include "judge/Kinds.h"
#include "judge/StandardLimits.h"
#include "model/CellTable.h"
#include "reports/ReportFiles.h"
#include "reports/ReportIdentity.h"

#include <QDateTime>
#include <QStringList>
#include <vector>

namespace reports {

class ExcelSession;

// What the control chart report writes into worksheet 1 of its template: per lot row of the
// result grid the lot number, the mean and the dispersion as the grid shows them (A, B, F from
// row 2), and the centre lines and limits as numbers (C2 to E2, G2 and H2).
struct ControlChartData {
    judge::ChartKind kind = judge::ChartKind::XbarR;
    QStringList lots;
    QStringList means;
    QStringList dispersions; // R for XbarR, the moving range for X-Rs, STDEV for XbarS
    double centre = 0;       // total X
    double ucl = 0;
    double lcl = 0;
    double dispersionCentre = 0; // total R, or total STDEV for XbarS
    double dispersionUcl = 0;
    // Under the control chart constants, one per lot row: its own limits, written from row 2
    // into columns I to M (X-UCL, X-LCL, dispersion CL, UCL and LCL; empty where it has none).
    std::vector<judge::LotLimits> lotLimits;
    ReportIdentity identity;
    // Per lot row: whether a run rule marked the lot's mean, its dispersion (drawn red).
    std::vector<bool> xMarked, dispersionMarked;
    // Batch reports: the sheet number after the time stamp ("03_"); empty from the window.
    QString fileTag;
};

// Built from the sheet view by reports::controlChartData (ReportModel.h).

// Copies the chart kind's template into the save folder, opens the copy in the session, fills
// it, deletes the template rows left over with shift up and saves it. Beside the cells above it
// writes the marked points and (X-Rs) the spec limits, the identification block and the limit
// lines' names of the chart page, fits the charts' axes to what they draw, thins the lot labels
// and sets the print area (reports/ReportLayout.h). Returns the copy's path;
// nothing is filled when the session yields no application.
QString fillControlChart(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                         const ControlChartData& data);

} // namespace reports
