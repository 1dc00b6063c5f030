#pragma once
#include "chartmodel/ChartModel.h"
#include "reports/ReportFiles.h"

#include <QDateTime>
#include <QString>

namespace reports {

class ExcelSession;

// Copies the histogram template into the save folder, opens the copy in the session, fills it
// from the chart model's histogram and saves it: the enabled lots' cells packed upwards into a
// block of lot-count rows by measurement-count columns from A1 of worksheet 1 (the rows after
// the last enabled lot empty) with the sheet's digits format on it ("0.000_ " for 3 digits,
// "0_ " for 0), and the class count into B19 of worksheet 2. Beside them the identification
// block, the capability box and the class table of the chart page, and on worksheet 2 the
// statistics, the class table and the points the chart draws (reports/ReportLayout.h); the
// chart's axes fitted and titled; what prints is the chart page and worksheet 2's tables, each
// page with the identification. `fileTag` goes after the time stamp (batch reports: "03_").
// Returns the copy's path.
QString fillHistogram(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                      const chartmodel::ChartModel& model, const QString& fileTag = {});

} // namespace reports
