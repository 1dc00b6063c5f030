#include "reports/ReportIdentity.h"

namespace reports {

std::vector<std::pair<QString, QString>> identityRows(const ReportIdentity& id)
{
    QString limits;
    if (!id.specUpper.isEmpty()) limits += QStringLiteral("上限 ") + id.specUpper;
    if (!id.specLower.isEmpty()) limits += (limits.isEmpty() ? QString() : QStringLiteral("　")) + QStringLiteral("下限 ") + id.specLower;
    return {
        {QStringLiteral("品種名称"), id.product},
        {QStringLiteral("工程名称"), id.process},
        {QStringLiteral("装置名称"), id.device},
        {QStringLiteral("項目名称"), id.item},
        {QStringLiteral("測定単位"), id.unit},
        {QStringLiteral("規格種別"), limits.isEmpty() ? id.specKind : id.specKind + QStringLiteral("　") + limits},
        {QStringLiteral("ロット数"), QString::number(id.lotCount)},
        {QStringLiteral("測定数/ロット"), QString::number(id.measurementCount)},
        {QStringLiteral("管理限界値"), id.limitMethod},
        {QStringLiteral("管理図"), id.chartKind},
        {QStringLiteral("作成日時"), id.made.toString(QStringLiteral("yyyy/MM/dd HH:mm"))},
        {QStringLiteral("バージョン"), id.version},
    };
}

} // namespace reports
