#include "store/Baseline.h"

#include "model/NumberText.h"
#include "model/Text.h"
#include "sheetview/GridLayout.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/ViewTexts.h"
#include "store/Connection.h"

#include <QDateTime>

namespace store {

namespace {

[[noreturn]] void refuse(const QString& why) { throw StoreError(Fault::Invalid, why); }

} // namespace

BaselineLimits limitsOfView(const sheetview::SheetView& view)
{
    BaselineLimits out;
    out.chart = view.chart;
    out.method = view.limitMethod;
    sheetview::SheetView own = view; // the sheet's own lots, not a baseline applied to them
    own.limitBasis.reset();
    try {
        switch (view.limitMethod) {
        case judge::LimitMethod::Standard: {
            const auto limits = sheetview::standardLimitsOf(own);
            if (!limits) refuse(QStringLiteral("管理図係数法の管理限界を計算できるロットがありません"));
            out.basis = judge::LimitBasis{limits->centre, limits->sigma};
            return out;
        }
        case judge::LimitMethod::ThreeSigma:
            if (!sheetview::computeControlLimits(own)) refuse(QStringLiteral("管理限界を計算できる測定値が足りません"));
            break;
        case judge::LimitMethod::Specified:
            break;
        }
    } catch (const model::ConvertError& e) {
        refuse(e.message());
    }
    for (const QString* t : {&own.ucl, &own.lcl, &own.rsUcl})
        if (model::isBlank(*t) || !model::tryParseNumber(*t)) refuse(QStringLiteral("管理限界値が数値ではありません: %1").arg(*t));
    out.ucl = own.ucl;
    out.lcl = own.lcl;
    out.dispersionUcl = own.rsUcl;
    return out;
}

QString baselineText(const Baseline& b)
{
    const QString when = QDateTime::fromMSecsSinceEpoch(b.setUs / 1000).toString(QStringLiteral("yyyy-MM-dd"));
    return QStringLiteral("基準: %1～%2 の %3 ロット (%4、%5 %6)")
        .arg(b.firstLot, b.lastLot)
        .arg(b.lotCount)
        .arg(sheetview::listText(sheetview::limitMethodTexts(), b.limits.method), when, b.setBy);
}

namespace {

bool fits(const Baseline& b, int measurementCount)
{
    return (b.limits.chart == judge::ChartKind::XRs) == (measurementCount == 1);
}

} // namespace

QString baselineStatus(const Baseline& b, int measurementCount)
{
    if (fits(b, measurementCount)) return baselineText(b);
    return baselineText(b) + QStringLiteral(" は %1 の基準のため、このシートには使っていません")
                                 .arg(sheetview::listText(sheetview::chartKindTexts(), b.limits.chart));
}

QString applyBaseline(sheetview::SheetView& view, const Baseline& b)
{
    const BaselineLimits& l = b.limits;
    if (!fits(b, view.measurementCount)) return baselineStatus(b, view.measurementCount);
    if (view.chart != l.chart) {
        view.chart = l.chart;
        sheetview::applyGridLayout(view);
    }
    if (l.method == judge::LimitMethod::Standard && l.basis) {
        view.limitMethod = judge::LimitMethod::Standard;
        view.limitBasis = l.basis;
        try {
            sheetview::computeControlLimits(view);
        } catch (const model::ConvertError&) {
            // The judgement reports the cell; the fields fill then.
        }
    } else {
        view.limitMethod = judge::LimitMethod::Specified;
        view.limitBasis.reset();
        view.ucl = l.ucl;
        view.lcl = l.lcl;
        view.rsUcl = l.dispersionUcl;
    }
    return baselineText(b);
}

} // namespace store
