// How a text wider than its place is shown: never cut at an edge, where a number would read as
// another number ("…3456.12346" for "123456.12346"), but shortened at its end with a mark.
#pragma once
#include <QFontMetrics>
#include <QString>

namespace ui {

// `text` when it fits in `width` pixels; else its beginning and the mark "…" — a number only
// within its decimals, else the mark stands alone (an empty text when not even the mark fits).
QString shortenedText(const QFontMetrics& fm, int width, const QString& text);

} // namespace ui
