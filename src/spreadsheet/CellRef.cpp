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

namespace {

char16_t at(QStringView v, qsizetype i) { return v[i].unicode(); }
char16_t at(std::string_view v, qsizetype i) { return static_cast<unsigned char>(v[static_cast<size_t>(i)]); }
QStringView slice(QStringView v, qsizetype from, qsizetype n) { return v.mid(from, n); }
std::string_view slice(std::string_view v, qsizetype from, qsizetype n) { return v.substr(static_cast<size_t>(from), static_cast<size_t>(n)); }
bool isAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

template <class View>
std::optional<int> columnOf(View letters)
{
    const auto size = static_cast<qsizetype>(letters.size());
    if (size == 0 || size > 3) return std::nullopt;
    int n = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = at(letters, i);
        if (!isAsciiLetter(u)) return std::nullopt;
        n = n * 26 + ((u | 0x20) - u'a' + 1);
    }
    if (n > kMaxColumns) return std::nullopt;
    return n;
}

// Reads 1..7 decimal digits without a leading zero; nullopt when out of 1..limit.
template <class View>
std::optional<int> indexOf(View v, qsizetype from, int limit)
{
    const auto size = static_cast<qsizetype>(v.size());
    const qsizetype n = size - from;
    if (n <= 0 || n > 7 || at(v, from) == u'0') return std::nullopt;
    int value = 0;
    for (qsizetype i = from; i < size; ++i) {
        if (!isAsciiDigit(at(v, i))) return std::nullopt;
        value = value * 10 + (at(v, i) - u'0');
    }
    if (value < 1 || value > limit) return std::nullopt;
    return value;
}

template <class View>
A1Part parsePart(View v)
{
    A1Part p;
    const auto n = static_cast<qsizetype>(v.size());
    qsizetype i = 0;
    const bool firstDollar = i < n && at(v, i) == u'$';
    if (firstDollar) ++i;
    const qsizetype lettersBegin = i;
    while (i < n && isAsciiLetter(at(v, i))) ++i;
    if (i > lettersBegin) {
        const auto column = columnOf(slice(v, lettersBegin, i - lettersBegin));
        if (!column) return {};
        p.column = *column;
        p.columnAbsolute = firstDollar;
        if (i == n) {
            p.kind = A1Part::Kind::Column;
            return p;
        }
        if (at(v, i) == u'$') {
            p.rowAbsolute = true;
            ++i;
        }
    } else {
        p.rowAbsolute = firstDollar;
    }
    const auto row = indexOf(v, i, kMaxRows);
    if (!row) return {};
    p.row = *row;
    p.kind = p.column ? A1Part::Kind::Cell : A1Part::Kind::Row;
    return p;
}

std::optional<CellPos> cellOf(const A1Part& p)
{
    if (p.kind != A1Part::Kind::Cell) return std::nullopt;
    return CellPos{p.row, p.column};
}

} // namespace

std::optional<int> columnNumber(QStringView letters) { return columnOf(letters); }

A1Part parseA1Part(QStringView text) { return parsePart(text); }
A1Part parseA1Part(std::string_view text) { return parsePart(text); }
std::optional<CellPos> parseA1(QStringView text) { return cellOf(parseA1Part(text)); }
std::optional<CellPos> parseA1(std::string_view text) { return cellOf(parseA1Part(text)); }

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
    while (c < text.size() && isAsciiDigit(text[c].unicode())) ++c;
    if (c >= text.size() || (text[c] != u'C' && text[c] != u'c')) return std::nullopt;
    const auto row = indexOf(text.left(c), 1, kMaxRows);
    const auto column = indexOf(text, c + 1, kMaxColumns);
    if (!row || !column) return std::nullopt;
    return CellPos{*row, *column};
}

QString formatR1C1(CellPos pos)
{
    return u'R' + QString::number(pos.row) + u'C' + QString::number(pos.column);
}

} // namespace spreadsheet
