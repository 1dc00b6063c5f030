// The names the capability figures go by, one table for the chart window, the reports and the
// command line. The statistics grid's CP and CPK keep their names and say that they stand on
// the sigma of all values; the capability study's figures are Cp/Cpk within the lots (with the
// estimator of that sigma named) and Pp/Ppk overall. Where the grid's CP and CPK and the study's
// Pp and Ppk (equal by construction) stand on one page, they are shown once under one name.
#pragma once
#include "judge/Kinds.h"
#include "judge/WithinSigma.h"

#include <QString>

namespace chartmodel {

enum class Figure {
    Count, Mean, SigmaOverall, SigmaWithin,
    GridCp, GridCpk,            // the statistics grid's CP and CPK
    Cp, Cpu, Cpl, Cpk,          // within the lots
    Pp, Ppu, Ppl, Ppk,          // overall
    Cpm, PpmWithin, PpmOverall, PpmObserved,
    AndersonDarling, AndersonDarlingAdjusted, NormalityP,
};

struct FigureName {
    QString label;   // as the window and the reports show it
    QString key;     // the command line's JSON key
    int decimals;    // as the figure is shown
};

const FigureName& figureName(Figure figure);

// "σ (群内: R̄/d2)": the sigma within the lots with the estimator the study used.
QString sigmaWithinLabel(judge::WithinMethod method);

// The grid's CP or CPK together with the study's overall figure it equals, for a page that
// shows both: "CP・Pp (全体σ)", "CPK・Ppk (全体σ)" (one-sided: "CPK・PPU (全体σ)").
QString gridWithOverallLabel(Figure gridFigure, judge::SpecKind kind);

// The study's overall figure the grid's CPK equals under the specification kind.
Figure overallOfGridCpk(judge::SpecKind kind);
// The study's within figure in the same place.
Figure withinOfGridCpk(judge::SpecKind kind);

} // namespace chartmodel
