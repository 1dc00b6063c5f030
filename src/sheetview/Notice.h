// The messages a step on the sheet view gives the operator: the window shows them in a
// message box, a headless front end reports them.
#pragma once
#include "model/Captions.h"
#include <QString>

#include <vector>

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

using model::kGuidanceCaption;
using model::kWarningCaption;
// The standard error box's caption: the program's name.
inline const QString kErrorCaption = QStringLiteral("Quorvane");

// A required header field is blank.
Notice requiredFieldsNotice();
// A specification limit the kind uses is not a number.
Notice specLimitsNotice();
// Entering a sheet found a measurement or limit that is not a number.
Notice unsuitableValueNotice();
// A specification limit that is not a number: the sheet it is on ("シート2（外径）"; empty for
// the sheet being entered), the field's label and the text as the record holds it.
struct LimitFault {
    QString sheet;
    QString field;
    QString text;
    friend bool operator==(const LimitFault&, const LimitFault&) = default;
};
// Names every limit that is not a number, one line each.
Notice unsuitableLimitsNotice(const std::vector<LimitFault>& faults);
// A text the judgement had to convert is not a number: the standard error box.
Notice conversionNotice(const model::ConvertError& error);

} // namespace sheetview
