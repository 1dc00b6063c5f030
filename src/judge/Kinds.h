// The selectable kinds the judgements depend on: specification kind, control chart kind,
// control limit method (three sigma, specified, or by the control chart constants) and the capability index judged. Each maps from the item index of
// its drop-down list.
#pragma once

namespace judge {

enum class SpecKind { Tolerance = 0, UpperOnly = 1, LowerOnly = 2 };
enum class ChartKind { XbarR = 0, XbarS = 1, XRs = 2 };
enum class LimitMethod { ThreeSigma = 0, Specified = 1, Standard = 2 };
enum class CapabilityIndex { CP = 0, CPK = 1 };

// Any index other than the listed ones means the first item: a tolerance uses both limits.
constexpr SpecKind specKindFromIndex(int i)
{
    return i == 1 ? SpecKind::UpperOnly : i == 2 ? SpecKind::LowerOnly : SpecKind::Tolerance;
}
constexpr ChartKind chartKindFromIndex(int i)
{
    return i == 1 ? ChartKind::XbarS : i == 2 ? ChartKind::XRs : ChartKind::XbarR;
}
constexpr LimitMethod limitMethodFromIndex(int i)
{
    return i == 1 ? LimitMethod::Specified : i == 2 ? LimitMethod::Standard : LimitMethod::ThreeSigma;
}
constexpr CapabilityIndex capabilityIndexFromIndex(int i)
{
    return i == 1 ? CapabilityIndex::CPK : CapabilityIndex::CP;
}

} // namespace judge
