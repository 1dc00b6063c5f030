// The captions of the program's message boxes, shared by the window and the core's notices.
#pragma once
#include <QString>

namespace model {

inline const QString kGuidanceCaption = QStringLiteral("ガイドメッセージ");
inline const QString kWarningCaption = QStringLiteral("警告メッセージ");

} // namespace model
