#include "cli/StoreArguments.h"

#include <QDateTime>
#include <QRegularExpression>

namespace cli {

std::optional<qint64> localTimeUs(const QString& text, bool end)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:T(\\d{2}):(\\d{2})(?::(\\d{2}))?)?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const bool minutes = m.hasCaptured(4), seconds = m.hasCaptured(6);
    const QTime time = minutes ? QTime(m.captured(4).toInt(), m.captured(5).toInt(), seconds ? m.captured(6).toInt() : 0) : QTime(0, 0);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    QDateTime start(date, time);
    if (!start.isValid()) return std::nullopt; // a local time the clock skips
    qint64 us = start.toMSecsSinceEpoch() * 1000;
    if (end) {
        const QDateTime next = !minutes ? QDateTime(date.addDays(1), QTime(0, 0)) : start.addSecs(seconds ? 1 : 60);
        us = next.toMSecsSinceEpoch() * 1000 - 1;
    }
    return us;
}

std::optional<qint64> periodSeconds(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,5})([hd])$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.captured(1).toInt() < 1) return std::nullopt;
    return qint64(m.captured(1).toInt()) * (m.captured(2) == u"h" ? 3600 : 86400);
}

} // namespace cli
