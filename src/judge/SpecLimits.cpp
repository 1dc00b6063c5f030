#include "judge/SpecLimits.h"

#include "model/NumberText.h"
#include "model/Text.h"

namespace judge {

bool WithinSpec(const SpecLimits& limits, double value)
{
    switch (limits.kind) {
    case SpecKind::UpperOnly: return value <= limits.upper;
    case SpecKind::LowerOnly: return value >= limits.lower;
    case SpecKind::Tolerance: break;
    }
    return limits.lower <= value && value <= limits.upper;
}

namespace {

bool usesUpper(SpecKind k) { return k != SpecKind::LowerOnly; }
bool usesLower(SpecKind k) { return k != SpecKind::UpperOnly; }

} // namespace

std::optional<SpecLimits> tryReadSpecLimits(SpecKind kind, QStringView upperText, QStringView lowerText)
{
    SpecLimits limits;
    limits.kind = kind;
    if (usesUpper(kind)) {
        const auto u = model::tryParseNumber(upperText);
        if (!u) return std::nullopt;
        limits.upper = *u;
    }
    if (usesLower(kind)) {
        const auto l = model::tryParseNumber(lowerText);
        if (!l) return std::nullopt;
        limits.lower = *l;
    }
    return limits;
}

SpecLimits readSpecLimits(SpecKind kind, QStringView upperText, QStringView lowerText)
{
    SpecLimits limits;
    limits.kind = kind;
    if (usesUpper(kind)) limits.upper = model::parseNumber(upperText);
    if (usesLower(kind)) limits.lower = model::parseNumber(lowerText);
    return limits;
}

bool isOutOfSpecText(QStringView cellText, SpecKind kind, QStringView upperText, QStringView lowerText)
{
    if (model::isBlank(cellText)) return false;
    const auto value = model::tryParseNumber(cellText);
    if (!value) return false;
    const auto limits = tryReadSpecLimits(kind, upperText, lowerText);
    return limits && !WithinSpec(*limits, *value);
}

} // namespace judge
