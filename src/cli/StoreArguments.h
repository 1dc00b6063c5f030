// The values of the store options of the command line: dates in local time and periods.
#pragma once
#include <QString>
#include <QtGlobal>

#include <optional>

namespace cli {

// "2026-12-07", "2026-12-07T14:30" or "2026-12-07T14:30:05" in local time, as microseconds since
// 1970 (UTC): the start of the day, minute or second given, or with `end` its last microsecond
// (so a "--to" date includes the whole day). Nothing for any other text.
std::optional<qint64> localTimeUs(const QString& text, bool end);

// "24h" or "7d" (any whole number of hours or days, at least 1) in seconds.
std::optional<qint64> periodSeconds(const QString& text);

} // namespace cli
