// The capability study's page as plain data: the histogram with the specification limits, the
// target, two normal curves (sigma within the lots and overall) and the density of a fitted
// distribution, beside the study's table and the fitted distribution's figures. The chart
// window shows it; its lines (studySheetLines) are also the result workbook's study worksheet.
// Further study figures go into the tables (StudyTable) and, where they are drawn, into this page.
#pragma once
#include "chartmodel/Histogram.h"
#include "chartmodel/StudyTable.h"
#include "judge/CapabilityStudy.h"

#include <optional>

namespace chartmodel {

struct StudyPage {
    QString message; // when not empty, shown instead of the page
    judge::Distribution distribution = judge::Distribution::Normal; // as asked, also with the message
    Histogram histogram; // its curve is the overall one
    std::vector<judge::CurvePoint> withinCurve;
    QString withinCurveName;
    // The fitted distribution's density on the normal curves' points and scale; empty when only
    // the normal was asked, the fit was refused, or the automatic choice took the normal.
    std::vector<judge::CurvePoint> fittedCurve;
    QString fittedCurveName;
    std::vector<StudyLine> table;
    QString normality;
    QString indexGap;              // why an index is not given, or empty
    std::vector<StudyLine> fitted; // the fitted distribution's figures (nonNormalLines)
    QString fitRefusal;            // why the asked distribution was not fitted, or empty
    std::optional<judge::CapabilityStudy> study;
};

// Built on the sheet's histogram; `study` the sheet's capability study
// (sheetview::capabilityStudyOf), without which the page carries the prompt.
StudyPage studyPage(const sheetview::SheetView& view, Histogram h, const std::optional<judge::CapabilityStudy>& study);

// The page's figures top to bottom, as the study worksheet lists them: the table, the normality
// line, why an index is not given, then after an empty line the fitted distribution's figures or
// why it was not fitted. Lines of text alone carry only a label.
std::vector<StudyLine> studySheetLines(const StudyPage& page);

} // namespace chartmodel
