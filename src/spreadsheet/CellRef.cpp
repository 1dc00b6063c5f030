#include "spreadsheet/CellRef.h"

namespace spreadsheet {

QString columnLetters(int column)
{
    QString s;
    while (column > 0) {
        const int rem = (column - 1) % 26;
        s.prepend(QChar(u'A' + rem));
        column = (column - 1) / 26;
    }
    return s;
}

std::optional<int> columnNumber(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3) return std::nullopt;
    int n = 0;
    for (QChar c : letters) {
        const char16_t u = c.unicode();
        int d = 0;
        if (u >= u'A' && u <= u'Z') d = u - u'A' + 1;
        else if (u >= u'a' && u <= u'z') d = u - u'a' + 1;
        else return std::nullopt;
        n = n * 26 + d;
    }
    if (n > kMaxColumns) return std::nullopt;
    return n;
}

namespace {

bool isAsciiLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Reads 1..7 decimal digits without a leading zero; nullopt when out of 1..limit.
std::optional<int> parseIndex(QStringView digits, int limit)
{
    if (digits.isEmpty() || digits.size() > 7 || digits[0] == u'0') return std::nullopt;
    int n = 0;
    for (QChar c : digits) {
        if (!isAsciiDigit(c)) return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    if (n < 1 || n > limit) return std::nullopt;
    return n;
}

} // namespace

std::optional<CellPos> parseA1(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'$') ++i;
    const qsizetype letterStart = i;
    while (i < n && isAsciiLetter(text[i])) ++i;
    const auto column = columnNumber(text.mid(letterStart, i - letterStart));
    if (!column) return std::nullopt;
    if (i < n && text[i] == u'$') ++i;
    const auto row = parseIndex(text.mid(i), kMaxRows);
    if (!row) return std::nullopt;
    return CellPos{*row, *column};
}

QString formatA1(CellPos pos, bool absolute)
{
    if (absolute) return u'$' + columnLetters(pos.column) + u'$' + QString::number(pos.row);
    return columnLetters(pos.column) + QString::number(pos.row);
}

std::optional<CellRect> parseA1Range(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        const auto p = parseA1(text);
        if (!p) return std::nullopt;
        return CellRect{p->row, p->column, p->row, p->column};
    }
    const auto a = parseA1(text.left(colon));
    const auto b = parseA1(text.mid(colon + 1));
    if (!a || !b) return std::nullopt;
    return CellRect{std::min(a->row, b->row), std::min(a->column, b->column), std::max(a->row, b->row),
                    std::max(a->column, b->column)};
}

QString formatA1Range(const CellRect& rect, bool absolute)
{
    const QString first = formatA1({rect.top, rect.left}, absolute);
    if (rect.top == rect.bottom && rect.left == rect.right) return first;
    return first + u':' + formatA1({rect.bottom, rect.right}, absolute);
}

std::optional<CellPos> parseR1C1(QStringView text)
{
    if (text.size() < 4 || (text[0] != u'R' && text[0] != u'r')) return std::nullopt;
    qsizetype c = 1;
    while (c < text.size() && isAsciiDigit(text[c])) ++c;
    if (c >= text.size() || (text[c] != u'C' && text[c] != u'c')) return std::nullopt;
    const auto row = parseIndex(text.mid(1, c - 1), kMaxRows);
    const auto column = parseIndex(text.mid(c + 1), kMaxColumns);
    if (!row || !column) return std::nullopt;
    return CellPos{*row, *column};
}

QString formatR1C1(CellPos pos)
{
    return u'R' + QString::number(pos.row) + u'C' + QString::number(pos.column);
}

} // namespace spreadsheet
