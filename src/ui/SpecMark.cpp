#include "ui/SpecMark.h"

#include "model/NumberText.h"
#include "model/Text.h"

namespace ui {

bool outsideSpecLimits(QStringView value, int specKind, QStringView upper, QStringView lower)
{
    if (model::isBlank(value)) return false;
    const auto v = model::tryParseNumber(value);
    if (!v) return false;
    const bool needUpper = specKind != 2, needLower = specKind != 1;
    const auto u = needUpper ? model::tryParseNumber(upper) : std::optional<double>();
    const auto l = needLower ? model::tryParseNumber(lower) : std::optional<double>();
    if ((needUpper && !u) || (needLower && !l)) return false;
    return (needUpper && *v > *u) || (needLower && *v < *l);
}

} // namespace ui
