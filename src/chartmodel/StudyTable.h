// The capability study as lines of text: a label, the figure and its 95 % interval, "－" where a
// figure is undefined. The chart window's study page, the result workbook's study worksheet and
// the command line's text output all show these lines; a figure added to the study is shown
// everywhere once it has a line here.
#pragma once
#include "judge/CapabilityStudy.h"
#include "judge/Kinds.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace chartmodel {

struct StudyLine {
    QString label;
    QString value;
    QString interval;  // empty for figures without one
    int decimals = -1; // of the value, for a number format; -1 where the value is no number
};

// The column titles, then one line per figure; the sigma within names its estimator.
std::vector<StudyLine> studyLines(const judge::CapabilityStudy& study);

// The lines as rows of texts: label, figure, interval.
std::vector<QStringList> studyRows(const std::vector<StudyLine>& lines);

// The normality line: the test's verdict, or the warning when p < 0.05.
QString normalityLine(const judge::CapabilityStudy& study);

// Why the study gives no index (or no within index), or empty when it gives them.
QString indexGapLine(const judge::CapabilityStudy& study);

// The name of a fitted distribution.
QString fitFamilyText(judge::FitFamily family);

// The items of the list the distribution is chosen from, in the order of judge::Distribution.
const QStringList& distributionTexts();

// Capability under the fitted distribution: the distribution (and for the automatic choice
// the others tried), its parameters and percentiles, the indices, the expected ppm and the
// fit's test. Empty when no distribution other than the normal was asked or it was refused.
std::vector<StudyLine> nonNormalLines(const judge::CapabilityStudy& study);

// Why the asked distribution was not fitted, or empty.
QString nonNormalRefusalLine(const judge::CapabilityStudy& study);

} // namespace chartmodel
