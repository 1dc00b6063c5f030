#include "ui/ShortenedText.h"

#include "model/NumberText.h"

#include <algorithm>

namespace ui {

QString shortenedText(const QFontMetrics& fm, int width, const QString& text)
{
    if (fm.horizontalAdvance(text) <= width) return text;
    const QString mark(QChar(0x2026));
    // A number is shortened only within its decimals: without the end of its integer part or
    // its exponent it would read as another number, so then the mark stands alone.
    qsizetype least = 1;
    if (model::tryParseNumber(text)) {
        const qsizetype point = text.indexOf(u'.');
        const bool exponent = text.contains(u'e') || text.contains(u'E');
        least = exponent || point < 0 ? text.size() : std::max<qsizetype>(point, 1);
    }
    for (qsizetype n = text.size() - 1; n >= least; --n)
        if (fm.horizontalAdvance(text.left(n) + mark) <= width) return text.left(n) + mark;
    return fm.horizontalAdvance(mark) <= width ? mark : QString();
}

} // namespace ui
