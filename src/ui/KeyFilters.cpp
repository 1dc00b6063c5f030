#include "ui/KeyFilters.h"

#include "model/NumberText.h"
#include "model/Text.h"

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
    case CharFilter::Product: return !QStringView(u"#*,/:?[\\]").contains(ch);
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
    if (text.isEmpty() || text == u"0") return QString::number(minimum);
    bool ok = false;
    const long long v = text.toLongLong(&ok);
    if (!ok) {
        // A digit string too long for a number is above every maximum.
        bool digits = !text.isEmpty();
        for (QChar c : text) digits = digits && c.isDigit();
        return digits ? QString::number(maximum) : text;
    }
    return v > maximum ? QString::number(maximum) : text;
}

} // namespace ui
