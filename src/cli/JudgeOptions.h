// What the judge command is asked: the file, the sheet, and the settings an operator would
// change in the window before pressing "SPC異常判定". Anything not given stays at the
// settings store's defaults.
#pragma once
#include "judge/Kinds.h"
#include "judge/StudyOptions.h"
#include "model/Settings.h"

#include <QString>
#include <optional>

namespace cli {

enum class OutputFormat { Text, Json };

struct JudgeOptions {
    std::optional<int> sheet;           // sheet number from 1; all sheets when not given
    std::optional<judge::ChartKind> chart;
    std::optional<judge::LimitMethod> limitMethod;
    QString ucl, lcl, rsUcl; // the specified control limits (LimitMethod::Specified)
    std::optional<judge::CapabilityIndex> capabilityIndex;
    std::optional<QString> threshold;   // as the threshold field shows it after leaving it
    bool noThreshold = false;           // the threshold check off
    model::RuleOptions rules = model::RuleOptions::defaults();
    // The capability study's within sigma, Cpm's target and distribution.
    std::optional<judge::SigmaWithin> sigmaWithin;
    std::optional<double> target;
    std::optional<judge::Distribution> distribution;
    OutputFormat format = OutputFormat::Text;
};

} // namespace cli
