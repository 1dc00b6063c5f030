// The texts the judgements write: overall results, row marks, rule marks and the total
// row's label, plus the overall outcome of one judgement.
#pragma once
#include <QString>

namespace judge {

inline const QString kPassText = QStringLiteral("合格");
inline const QString kFailText = QStringLiteral("不合格");
inline const QString kRowOkText = QStringLiteral("○異常なし");
inline const QString kRowAnomalyText = QStringLiteral("×異常あり");
inline const QString kNotJudgedText = QStringLiteral("－");
inline const QString kMarkOkText = QStringLiteral("○");
inline const QString kMarkAnomalyText = QStringLiteral("×");
inline const QString kTotalRowLabel = QStringLiteral("＊トータル");

// NoResult: the result panel keeps whatever caption it had (or stays empty).
enum class Outcome { NoResult, Pass, Fail };

// "合格", "不合格" or empty for NoResult.
inline QString outcomeCaption(Outcome o)
{
    return o == Outcome::Pass ? kPassText : o == Outcome::Fail ? kFailText : QString();
}

// Result cells beginning with "×" are drawn in red bold.
inline bool isAnomalyText(const QString& text) { return text.startsWith(QChar(u'×')); }

} // namespace judge
