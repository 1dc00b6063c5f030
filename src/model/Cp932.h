#pragma once
#include <QString>
#include <QStringView>

namespace model {

// Whether code page 932 (Windows-31J), the code page of the system's CSV files, holds every
// character of `text` exactly: no unmapped characters and no best-fit substitutes
// (a yen sign is not a backslash, a wave dash is not a full-width tilde).
bool representableInCp932(QStringView text);

// The first character (a whole code point) of `text` that code page 932 cannot hold, or an
// empty string when it holds them all.
QString firstUnrepresentableInCp932(QStringView text);

// The character code page 932 holds for a well-known look-alike it lacks (µ → μ, 〜 → ～,
// − → －, ¥ → ￥ and the like), or `ch` itself. A text with these replaced looks the same
// and can be saved.
char16_t cp932LookAlike(char16_t ch);
QString withCp932LookAlikes(QStringView text);

// One character (a whole code point) as messages name it: 「é」(U+00E9).
QString characterForMessage(QStringView ch);

} // namespace model
