// A baseline (limit window): the limits of a range of lots frozen for the lots after them, so
// that later lots are watched against what the process did then (Phase II), not against
// themselves. Under ３シグマ法 and 指定管理値 it keeps the three limit texts; under 管理図係数法 it
// keeps X̿ and σ̂, from which every lot's limits follow for its own size. Baselines are never
// changed: a newer one takes over, and a retraction (a record of its own) withdraws one.
#pragma once
#include "judge/Kinds.h"
#include "judge/StandardLimits.h"
#include "sheetview/SheetView.h"

#include <QString>
#include <optional>

namespace store {

// What a baseline freezes, made from a shown sheet.
struct BaselineLimits {
    judge::ChartKind chart = judge::ChartKind::XbarR;
    judge::LimitMethod method = judge::LimitMethod::ThreeSigma;
    QString ucl, lcl, dispersionUcl;        // ３シグマ法, 指定管理値
    std::optional<judge::LimitBasis> basis; // 管理図係数法
};

struct Baseline {
    qint64 id = 0;
    BaselineLimits limits;
    QString firstLot, lastLot;
    qint64 firstSequence = 0, lastSequence = 0;
    int lotCount = 0;
    QString setBy, station, reason;
    qint64 setUs = 0; // the server's clock, microseconds since 1970 (UTC)
};

// The limits a sheet holds now, to be frozen: under ３シグマ法 those of its enabled lots, under
// 指定管理値 the three fields as shown, under 管理図係数法 X̿ and σ̂ of its own lots (not of a
// baseline applied to it). Throws StoreError (Fault::Invalid) when they cannot be had.
BaselineLimits limitsOfView(const sheetview::SheetView& view);

// Applies a baseline to a sheet just entered (entering resets the limit fields): under ３シグマ法
// and 指定管理値 the three limit fields with 指定管理値 chosen, under 管理図係数法 the frozen X̿ and
// σ̂, and the baseline's chart kind. A baseline of the moving-range chart does not fit a sheet
// of several measurements a lot, nor the other way round: such a sheet is left as it is.
// Returns the status line naming the baseline, or why it was not applied.
QString applyBaseline(sheetview::SheetView& view, const Baseline& baseline);

// "基準: K001～K025 の 25 ロット (管理図係数法、2026-12-07 yamada)".
QString baselineText(const Baseline& baseline);
// What applyBaseline says for a sheet of that many measurements a lot.
QString baselineStatus(const Baseline& baseline, int measurementCount);

} // namespace store
