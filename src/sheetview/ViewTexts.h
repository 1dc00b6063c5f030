// The item texts of the view's drop-down lists and the captions of its result pages, kept in
// one place: the window's lists, the reports' identification and the command line show them.
#pragma once
#include "judge/WithinSigma.h"
#include "sheetview/GridLayout.h"

#include <QString>
#include <QStringList>

namespace sheetview {

// ChartKind items.
inline const QStringList& chartKindTexts()
{
    static const QStringList t{QStringLiteral("XbarR管理図"), QStringLiteral("XbarS管理図"), QStringLiteral("X-Rs管理図")};
    return t;
}

// LimitMethod items.
inline const QStringList& limitMethodTexts()
{
    static const QStringList t{QStringLiteral("３シグマ法"), QStringLiteral("指定管理値"), QStringLiteral("管理図係数法")};
    return t;
}

// The estimators of the sigma within the lots, as the study and the lists name them.
inline QString withinMethodText(judge::WithinMethod method)
{
    switch (method) {
    case judge::WithinMethod::Pooled: return QStringLiteral("合併標準偏差");
    case judge::WithinMethod::RBar: return QStringLiteral("R̄/d2");
    case judge::WithinMethod::SBar: return QStringLiteral("S̄/c4");
    case judge::WithinMethod::MovingRange: break;
    }
    return QStringLiteral("MR̄/d2(2)");
}

// SigmaWithin items: the chart kind's estimator, then the three to choose from.
inline const QStringList& sigmaWithinTexts()
{
    static const QStringList t{QStringLiteral("管理図に合わせる"), withinMethodText(judge::WithinMethod::Pooled),
                               withinMethodText(judge::WithinMethod::RBar), withinMethodText(judge::WithinMethod::SBar)};
    return t;
}

// The item of a list, or the first one for an index out of the list.
inline QString listText(const QStringList& items, int index)
{
    return index >= 0 && index < items.size() ? items[index] : items.front();
}
inline QString listText(const QStringList& items, judge::ChartKind kind) { return listText(items, int(kind)); }
inline QString listText(const QStringList& items, judge::LimitMethod method) { return listText(items, int(method)); }

// The captions of the three result pages; the third names the chart kind's dispersion side.
inline QStringList pageCaptions(judge::ChartKind chart)
{
    return {QStringLiteral("測定値入力＆規格判定"), QStringLiteral("CP-CPK不良率判定"),
            QStringLiteral("SPC異常判定(X側-%1側)").arg(dispersionSide(chart))};
}

} // namespace sheetview
