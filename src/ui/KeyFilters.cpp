#include "ui/KeyFilters.h"

#include "model/Cp932.h"
#include "model/NumberText.h"
#include "model/Text.h"

#include <QKeyEvent>

#include <algorithm>
#include <climits>

namespace ui {

namespace {

bool isDigit(QChar ch) { return ch >= u'0' && ch <= u'9'; }

// Digits, and period and minus once each.
bool numberChar(QChar ch, QStringView text, bool minusAllowed)
{
    if (isDigit(ch)) return true;
    if (ch == u'.') return !text.contains(u'.');
    if (ch == u'-' && minusAllowed) return !text.contains(u'-');
    return false;
}

} // namespace

bool acceptsChar(CharFilter filter, QChar ch, QStringView text)
{
    if (ch.unicode() < 32 || ch.unicode() == 127) return true;
    switch (filter) {
    case CharFilter::Product: return !QStringView(u"#*,/:?[\\]").contains(ch) && model::representableInCp932(QStringView(&ch, 1));
    case CharFilter::LotNumber: return model::representableInCp932(QStringView(&ch, 1));
    case CharFilter::Kupper:
    case CharFilter::Klower:
    case CharFilter::GridEdit: return numberChar(ch, text, true);
    case CharFilter::Digits: return isDigit(ch);
    case CharFilter::Keta: return ch >= u'0' && ch <= u'5';
    case CharFilter::CpCpk: return numberChar(ch, text, false);
    }
    return false;
}

bool acceptsKeyText(CharFilter filter, QStringView keyText, QStringView text)
{
    for (QChar ch : keyText)
        if (!acceptsChar(filter, ch, text)) return false;
    return true;
}

bool isTypedText(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    return !key.text().isEmpty() && key.text().front().isPrint();
}

bool holdsOnlyCp932(std::optional<CharFilter> filter)
{
    return filter == CharFilter::Product || filter == CharFilter::LotNumber;
}

FilteredText filterInsertion(std::optional<CharFilter> filter, QStringView before, QStringView after, int cursor,
                             int maxLength)
{
    // The changed span: what lies between the common beginning and the common end.
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head]) ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
    const QString inserted = model::withCp932LookAlikes(after.mid(head, after.size() - head - tail));

    FilteredText out;
    QString kept;
    QString context = before.left(head).toString();
    context.append(before.right(tail));
    for (qsizetype i = 0; i < inserted.size();) {
        const qsizetype n = inserted[i].isHighSurrogate() && i + 1 < inserted.size() && inserted[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView ch = QStringView(inserted).mid(i, n);
        i += n;
        if (maxLength >= 0 && context.size() + n > maxLength) break;
        // Control characters are keys with a meaning of their own; they insert nothing.
        if (n == 1 && (ch[0].unicode() < 32 || ch[0].unicode() == 127)) continue;
        if (filter && (n == 2 || !acceptsChar(*filter, ch[0], context))) {
            if (out.notHeld.isEmpty() && holdsOnlyCp932(filter) && !model::representableInCp932(ch))
                out.notHeld = ch.toString();
            continue;
        }
        context.insert(head + kept.size(), ch);
        kept += ch;
    }
    out.cursor = cursor;
    const qsizetype dropped = inserted.size() - kept.size();
    const qsizetype end = head + inserted.size();
    if (cursor >= end) out.cursor = int(cursor - dropped);
    else if (cursor > head + kept.size()) out.cursor = int(head + kept.size());
    out.text = after.left(head).toString();
    out.text.append(kept).append(after.right(tail));
    return out;
}

QString filteredInsertion(std::optional<CharFilter> filter, QStringView before, QStringView after, int& cursor,
                          int maxLength)
{
    FilteredText r = filterInsertion(filter, before, after, cursor, maxLength);
    cursor = r.cursor;
    return std::move(r.text);
}

QString withLeadingMinusOnly(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        if (i == 0 || text[i] != u'-') out += text[i];
    return out;
}

EnterResult enterCellText(QStringView cellText, QStringView digitsText)
{
    if (model::isBlank(cellText)) return {cellText.toString(), true};
    if (const auto v = model::tryParseNumber(cellText)) return {model::formatWithDigits(*v, digitsText), true};
    return {QString(), false};
}

QString normalisedLimit(const QString& text, QStringView digitsText)
{
    if (model::isBlank(text)) return text;
    const auto v = model::tryParseNumber(text);
    return v ? model::formatWithDigits(*v, digitsText) : QString();
}

QString normalisedThreshold(const QString& text)
{
    if (model::isBlank(text)) return text;
    const auto v = model::tryParseNumber(text);
    return v ? model::formatFixed(*v, 2) : QStringLiteral("1.33");
}

QString normalisedCount(const QString& text, int minimum, int maximum)
{
    const auto v = countFromText(text);
    if (!v || *v == 0) return QString::number(minimum);
    return *v > maximum ? QString::number(maximum) : text;
}

std::optional<int> countFromText(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = text.mid(negative ? 1 : 0);
    if (digits.isEmpty()) return std::nullopt;
    long long v = 0;
    for (QChar c : digits) {
        if (!isDigit(c)) return std::nullopt;
        v = std::min<long long>(v * 10 + (c.unicode() - u'0'), INT_MAX);
    }
    return int(negative ? -v : v);
}

bool isGivenCount(QStringView text)
{
    const auto v = countFromText(text);
    return v && *v != 0;
}

} // namespace ui
