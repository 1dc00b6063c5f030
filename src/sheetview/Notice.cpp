#include "sheetview/Notice.h"

#include "model/NumberText.h"

#include <QStringList>

namespace sheetview {

Notice requiredFieldsNotice()
{
    return {kGuidanceCaption, QStringLiteral("必須項目が入力されていません。"), NoticeIcon::Exclamation};
}

Notice specLimitsNotice()
{
    return {kWarningCaption,
            QStringLiteral("入力値が「未入力」または、「異常値」です。「規格上限／規格下限」の値を確認してください…。（※入力必須項目です）"),
            NoticeIcon::Exclamation};
}

Notice unsuitableValueNotice()
{
    return {kWarningCaption, QStringLiteral("不適切な測定値が見つかりました。ファイルの内容を確認してください…"),
            NoticeIcon::Warning};
}

Notice unsuitableLimitsNotice(const std::vector<LimitFault>& faults)
{
    QStringList lines;
    for (const LimitFault& f : faults)
        lines.append((f.sheet.isEmpty() ? QString() : f.sheet + QStringLiteral("の")) + f.field + QStringLiteral("「") + f.text +
                     QStringLiteral("」は数値ではありません。"));
    return {kWarningCaption, lines.join(u'\n') + QStringLiteral("ファイルの内容を確認してください…。"), NoticeIcon::Warning};
}

Notice conversionNotice(const model::ConvertError& error)
{
    return {kErrorCaption, error.message(), NoticeIcon::Error};
}

} // namespace sheetview
