#pragma once
#include <QString>
#include <QStringView>

namespace model {

// Removes leading and trailing characters with codes up to 32 (blanks and control characters).
inline QStringView trimmed(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 32) ++b;
    while (e > b && s[e - 1].unicode() <= 32) --e;
    return s.mid(b, e - b);
}

// A blank text holds nothing but characters with codes up to 32; blank cells are not values.
inline bool isBlank(QStringView s) { return trimmed(s).isEmpty(); }

} // namespace model
