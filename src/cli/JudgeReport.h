// The judge command's output: one JSON object for the whole file, or the same as aligned
// tables with the window's captions.
#pragma once
#include "cli/SheetJudgement.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace cli {

// {"file": …, "sheets": [{"number", "item", "lots", "measurements", "judgements": {"spec",
// "capability", "spc"}, "limits": {"ucl", "lcl", "dispersion_ucl"}, "capability_grid",
// "spc_grid", "out_of_spec": [[lot row, column], …] (both from 1), "messages": [{"caption",
// "text"}], "capability_study": {…} or null, "control_chart": {"lots", "x", "dispersion"} or
// null (each chart: "symbol", "points" (null for a lot without one), "rules" (the rules that
// marked each lot), "cl", "ucl", "lcl" and, where the line is each lot's own, "cl_per_lot",
// "ucl_per_lot", "lcl_per_lot"), and under the control chart constants
// "limits_per_lot": [{"lot", "n", "cl", "ucl", "lcl", "dispersion_cl", "dispersion_ucl",
// "dispersion_lcl"}] or null}]}; figures as numbers at full double precision, null where
// undefined. UTF-8, ending with a line feed.
QByteArray jsonReport(const QString& file, const std::vector<SheetJudgement>& sheets);

QString textReport(const QString& file, const std::vector<SheetJudgement>& sheets);

// The same for a characteristic's lots read from a store: "database" and "characteristic" in
// place of "file".
// `baseline` names the baseline the lots were judged against ("baseline": null without one).
QByteArray jsonReport(const QString& database, const QString& characteristic, const QString& baseline,
                      const std::vector<SheetJudgement>& sheets);
QString textReport(const QString& database, const QString& characteristic, const QString& baseline,
                   const std::vector<SheetJudgement>& sheets);

} // namespace cli
