// The messages a step on the sheet view gives the operator: the window shows them in a
// message box, a headless front end reports them.
#pragma once
#include <QString>

namespace model {
class ConvertError;
}

namespace sheetview {

enum class NoticeIcon { Exclamation, Warning, Error };

struct Notice {
    QString caption;
    QString text;
    NoticeIcon icon = NoticeIcon::Warning;
    friend bool operator==(const Notice&, const Notice&) = default;
};

inline const QString kGuidanceCaption = QStringLiteral("ガイドメッセージ");
inline const QString kWarningCaption = QStringLiteral("警告メッセージ");
// The standard error box's caption: the program's name.
inline const QString kErrorCaption = QStringLiteral("Quorvane");

// A required header field is blank.
Notice requiredFieldsNotice();
// A specification limit the kind uses is not a number.
Notice specLimitsNotice();
// Entering a sheet found a measurement or limit that is not a number.
Notice unsuitableValueNotice();
// A text the judgement had to convert is not a number: the standard error box.
Notice conversionNotice(const model::ConvertError& error);

} // namespace sheetview
