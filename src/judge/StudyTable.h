// The capability study as lines of text: a label, the figure and its 95 % interval, "－" where
// a figure is undefined. The chart window's table, the result workbook's worksheet and the
// command line's text output all show these lines. Within figures say "(群内)", overall ones
// "(全体)", so they are not mistaken for the statistics grid's CP and CPK.
#pragma once
#include "judge/CapabilityStudy.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace judge {

struct StudyLine {
    QString label;
    QString value;
    QString interval; // empty for figures without one
};

// The column titles, then one line per figure.
std::vector<StudyLine> studyLines(const CapabilityStudy& study);

// The lines as rows of texts (label, figure, interval), then the normality line alone in a row.
std::vector<QStringList> studyRows(const std::vector<StudyLine>& lines, const QString& normality);

// The normality line: the test's verdict, or the warning when p < 0.05.
QString normalityLine(const CapabilityStudy& study);

// Why the study gives no index (or no within index), or empty when it gives them.
QString indexGapLine(const CapabilityStudy& study);

// The names of the within sigma's estimators and of the fitted distributions.
QString withinMethodText(WithinMethod method);
QString fitFamilyText(FitFamily family);

// Capability under the fitted distribution: the distribution (and for the automatic choice
// the others tried), its parameters and percentiles, the indices, the expected ppm and the
// fit's test. Empty when no distribution other than the normal was asked or it was refused.
std::vector<StudyLine> nonNormalLines(const CapabilityStudy& study);

// Why the asked distribution was not fitted, or empty.
QString nonNormalRefusalLine(const CapabilityStudy& study);

} // namespace judge
