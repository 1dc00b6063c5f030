// Three-sigma control limits from the measurements of the enabled lots: the X limits
// around the mean of all values and the upper limit of the dispersion series chosen by
// the chart kind, each as a five-decimal text.
#pragma once
#include "judge/Kinds.h"
#include "judge/Measurements.h"

#include <QString>
#include <optional>

namespace judge {

// The texts of the three limit fields: X-UCL, X-LCL and the R, S or Rs upper limit.
struct ControlLimitTexts {
    QString ucl;
    QString lcl;
    QString rsUcl;
    friend bool operator==(const ControlLimitTexts&, const ControlLimitTexts&) = default;
};

// True when any of the three texts is blank: with specified limits the capability
// judgement then stops without a message.
bool anyLimitBlank(const ControlLimitTexts& limits);

// Nothing when the enabled lots hold fewer than two values (the fields keep their text).
// A value that is not a number raises model::ConvertError before anything is computed.
std::optional<ControlLimitTexts> computeControlLimits(const Measurements& sheet, ChartKind chart);

} // namespace judge
