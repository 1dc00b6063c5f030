#include "exchange/SheetLayout.h"

namespace exchange {

const QStringList& SheetLayout::labels()
{
    static const QStringList l{QStringLiteral("品種名称"), QStringLiteral("工程名称"), QStringLiteral("装置名称"),
                               QStringLiteral("項目名称"), QStringLiteral("測定単位"), QStringLiteral("規格種別"),
                               QStringLiteral("小数点桁"), QStringLiteral("規格上限"), QStringLiteral("規格下限")};
    return l;
}

QStringList SheetLayout::fields(const model::SheetRecord& r)
{
    return {r.product, r.process, r.device, r.item, r.unit, r.specKind, r.digits, r.specUpper, r.specLower};
}

void SheetLayout::setFields(model::SheetRecord& r, const QStringList& f)
{
    QString* targets[] = {&r.product, &r.process, &r.device, &r.item, &r.unit,
                          &r.specKind, &r.digits, &r.specUpper, &r.specLower};
    for (int i = 0; i < kFieldCount; ++i) *targets[i] = f.value(i);
}

QString lotHeading() { return QStringLiteral("ﾛｯﾄ№"); }

QString measurementHeading(int column) { return QStringLiteral("N%1").arg(column + 1); }

} // namespace exchange
