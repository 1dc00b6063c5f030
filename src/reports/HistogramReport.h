#pragma once
#include "judge/CapabilityStudy.h"
#include "judge/ChartData.h"
#include "model/CellTable.h"
#include "reports/ReportFiles.h"
#include "reports/ReportIdentity.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <optional>
#include <vector>

namespace reports {

class ExcelSession;

// What the histogram report writes: the measurement cells of the enabled lots packed upwards
// into a block of lot-count rows by measurement-count columns from A1 of worksheet 1 (the rows
// after the last enabled lot empty), the sheet's digits format on it ("0.000_ " for 3 digits,
// "0_ " for 0), and the class count into B19 of worksheet 2.
struct HistogramData {
    QList<QStringList> block;
    QString numberFormat;
    int classes = 10;
    ReportIdentity identity;
    int digits = 3;
    // The classes by the one rule every histogram uses, written beside the data for the chart.
    std::vector<judge::HistogramClass> classTable;
    judge::SpecKind specKind = judge::SpecKind::Tolerance;
    std::optional<double> specUpper, specLower;
    // The capability box: N, mean, sigma, CP and CPK (the study's Pp/Ppk), Cp/Cpk within.
    std::optional<judge::CapabilityStudy> study;
    // Batch reports: the sheet number after the time stamp ("03_"); empty from the window.
    QString fileTag;
};

// Built from the sheet view by reports::histogramData (ReportModel.h).

// Copies the histogram template into the save folder, opens the copy in the session, fills and
// saves it: besides the block and the class count, the identification block, the capability box
// and the class table of the chart page, and on worksheet 2 the statistics, the class table and
// the points the chart draws (reports/ReportLayout.h); the chart's axes fitted to them. Returns the copy's path; nothing is filled when the session yields no application.
QString fillHistogram(ExcelSession& session, const ReportFolders& folders, const QDateTime& when, const HistogramData& data);

} // namespace reports
