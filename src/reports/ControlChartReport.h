#pragma once
#include "chartmodel/ChartModel.h"
#include "reports/ReportFiles.h"

#include <QDateTime>
#include <QString>

namespace reports {

class ExcelSession;

// Copies the chart kind's template into the save folder, opens the copy in the session, fills
// worksheet 1 from the chart model and saves it. The table: per lot row the lot number, the mean
// and the dispersion point as the result grid shows them (A, B, F from row 2; F blank for a lot
// without one), the centre lines and limits as numbers (C2 to E2, G2, H2), each lot's own limits
// under the control chart constants (I to M), the marked points (N, O) and, for X-Rs, the upper
// and lower tolerance limits (P, Q); the template rows left over are deleted with shift up. Beside it: what the charts
// draw (reports/ReportLayout.h), the legends' names, the identification block, the axes fitted
// and titled with the unit, and the print area with the identification on every page.
// `fileTag` goes after the time stamp (batch reports: "03_"). Returns the copy's path. A chart
// the model could not build raises its error before anything is copied.
QString fillControlChart(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                         const chartmodel::ChartModel& model, const QString& fileTag = {});

// How many rows (slots) of the charts' table a lot spreads over when there are `lots` of them:
// odd, so that a middle slot carries the lot's point.
int slotsPerLot(int lots);

} // namespace reports
