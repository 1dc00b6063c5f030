// Specification limits of a sheet and the pass rule of one value against them, plus the
// text-level check the measurement grid's painter uses.
#pragma once
#include "judge/Kinds.h"

#include <QStringView>
#include <optional>

namespace judge {

// Only the limits the kind uses are meaningful; the other one is never read.
struct SpecLimits {
    SpecKind kind = SpecKind::Tolerance;
    double upper = 0.0;
    double lower = 0.0;
};

// Both limits are inclusive: a value equal to a limit passes.
bool WithinSpec(const SpecLimits& limits, double value);

// Converts the limits the kind uses (upper first); nothing else is read.
// tryReadSpecLimits gives nothing when a used limit is not a number;
// readSpecLimits raises model::ConvertError instead.
std::optional<SpecLimits> tryReadSpecLimits(SpecKind kind, QStringView upperText, QStringView lowerText);
SpecLimits readSpecLimits(SpecKind kind, QStringView upperText, QStringView lowerText);

// True when a non-blank cell text lies outside the limits given as texts. Any text that
// does not convert (cell or used limit) gives false, so the cell keeps its normal colours.
bool isOutOfSpecText(QStringView cellText, SpecKind kind, QStringView upperText, QStringView lowerText);

} // namespace judge
