// The capability study's page as plain data: the histogram with the specification limits, the
// target and two normal curves (sigma within the lots and overall), beside the study's table.
// The chart window shows it; the table is also the result workbook's study worksheet. Further
// study figures go into the table (StudyTable) and, where they are drawn, into this page.
#pragma once
#include "chartmodel/Histogram.h"
#include "chartmodel/StudyTable.h"
#include "judge/CapabilityStudy.h"

#include <optional>

namespace chartmodel {

struct StudyPage {
    QString message; // when not empty, shown instead of the page
    Histogram histogram; // its curve is the overall one
    std::vector<judge::CurvePoint> withinCurve;
    QString withinCurveName;
    std::vector<StudyLine> table;
    QString normality;
    std::optional<judge::CapabilityStudy> study;
};

// Built on the sheet's histogram; `study` the sheet's capability study
// (sheetview::capabilityStudyOf), without which the page carries the prompt.
StudyPage studyPage(const sheetview::SheetView& view, Histogram h, const std::optional<judge::CapabilityStudy>& study);

} // namespace chartmodel
