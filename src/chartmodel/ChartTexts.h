// The fixed texts of the charts and the capability study that more than one picture shows.
#pragma once
#include <QString>

namespace chartmodel {

// Shown in place of a chart when the shown sheet has no capability result.
inline const QString kJudgePromptText = QStringLiteral("判定を実行してください。");
inline const QString kCapabilityStudyTitle = QStringLiteral("工程能力分析");
inline const QString kNormalityWarning =
    QStringLiteral("正規性の検定でp値が0.05未満です。工程能力指数は正規分布を前提としています。");

} // namespace chartmodel
