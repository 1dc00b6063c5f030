// Everything a chart, a histogram, the capability study's page or a report shows, built once
// from the sheet view: the control chart, the histogram, the study page and the identification.
// The chart window, the three report writers and the command line only place or draw it, so
// they cannot disagree.
#pragma once
#include "chartmodel/ControlChart.h"
#include "chartmodel/Histogram.h"
#include "chartmodel/Identification.h"
#include "chartmodel/StudyPage.h"
#include "sheetview/SheetView.h"

#include <QDateTime>

namespace chartmodel {

struct ChartModel {
    ControlChart control;
    Histogram histogram;
    StudyPage study;
    Identification identification;
    int digits = 3; // the sheet's decimals: measurements, limits and axis labels
};

// `classCount` the histogram's class count (the chart settings' field), `made` the time the
// charts or reports are made.
ChartModel buildChartModel(const sheetview::SheetView& view, int classCount, const QDateTime& made);

} // namespace chartmodel
