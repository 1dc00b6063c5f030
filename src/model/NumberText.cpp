#include "model/NumberText.h"

#include "model/Text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

namespace model {

ConvertError::ConvertError(const QString& text)
    : std::runtime_error(QStringLiteral("'%1' は浮動小数点数ではありません").arg(text).toStdString())
    , text_(text)
{
}

QString ConvertError::message() const { return QString::fromUtf8(what()); }

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Digits with at most one point, at most 15 of them: the digits as an integer and the power of
// ten are both exact doubles, so one correctly rounded division gives the nearest double.
template <typename Char>
std::optional<double> plainDecimalOf(const Char* p, const Char* const end)
{
    if (end - p > 16) return std::nullopt; // more than 15 digits and a point
    const auto digitAt = [](const Char* q) { return static_cast<unsigned>(*q) - '0' <= 9u; };
    std::uint64_t mantissa = 0;
    const Char* const first = p;
    for (; p < end && digitAt(p); ++p) mantissa = mantissa * 10 + (static_cast<unsigned>(*p) - '0');
    const auto whole = p - first;
    std::ptrdiff_t fraction = 0;
    if (p < end && *p == '.') {
        const Char* const decimals = ++p;
        for (; p < end && digitAt(p); ++p) mantissa = mantissa * 10 + (static_cast<unsigned>(*p) - '0');
        fraction = p - decimals;
    }
    if (p != end || whole + fraction == 0 || whole + fraction > 15) return std::nullopt;
    return static_cast<double>(mantissa) / kPowersOfTen[fraction];
}

// The texts a sheet holds nearly always: a sign and a plain decimal. Every other text is left to
// the full reader below, which gives the same value for these.
std::optional<double> signedPlainDecimal(QStringView t)
{
    const char16_t* p = t.utf16();
    const char16_t* const end = p + t.size();
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-')) negative = *p++ == u'-';
    const auto value = plainDecimalOf(p, end);
    if (value && negative) return -*value;
    return value;
}

// Every other text: the grammar checked here, the value from from_chars. Kept out of the common
// path, whose frame then needs no room for a long text.
#if defined(_MSC_VER)
__declspec(noinline)
#else
[[gnu::noinline]]
#endif
std::optional<double> generalNumber(QStringView t);

} // namespace

std::optional<double> tryParseNumber(QStringView text)
{
    const QStringView t = trimmed(text);
    if (const auto plain = signedPlainDecimal(t)) return plain;
    return generalNumber(t);
}

std::optional<double> plainDecimal(std::string_view text) { return plainDecimalOf(text.data(), text.data() + text.size()); }

namespace {

std::optional<double> generalNumber(QStringView t)
{
    // Validate the grammar ourselves; from_chars alone would take "inf", "nan" and so on.
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    // The ASCII form for from_chars, on the stack for the texts a sheet holds.
    char small[40];
    std::string large;
    char* ascii = small;
    if (n >= qsizetype(sizeof small)) {
        large.resize(static_cast<size_t>(n));
        ascii = large.data();
    }
    size_t length = 0;
    qsizetype intDigits = 0, fracDigits = 0;
    // Decimal exponent of the first significant digit, to tell overflow from underflow.
    long long leadExponent = 0;
    bool seenSignificant = false;
    // The digits as an integer while it stays exact (below 2^53).
    constexpr std::uint64_t kExactLimit = std::uint64_t(1) << 53;
    std::uint64_t mantissa = 0;
    bool mantissaExact = true;
    auto digit = [&](QChar c) {
        ascii[length++] = char(c.unicode());
        if (mantissaExact) {
            mantissa = mantissa * 10 + (c.unicode() - u'0');
            mantissaExact = mantissa < kExactLimit;
        }
    };
    while (i < n && isDigit(t[i])) {
        if (!seenSignificant && t[i] != u'0') seenSignificant = true;
        if (seenSignificant) ++leadExponent;
        digit(t[i]);
        ++i;
        ++intDigits;
    }
    if (i < n && t[i] == u'.') {
        ascii[length++] = '.';
        ++i;
        while (i < n && isDigit(t[i])) {
            if (!seenSignificant) {
                if (t[i] != u'0') seenSignificant = true;
                else --leadExponent;
            }
            digit(t[i]);
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    long long exponent = 0;
    bool hasExponent = false;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        hasExponent = true;
        ascii[length++] = 'e';
        ++i;
        bool expNegative = false;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) {
            expNegative = t[i] == u'-';
            ascii[length++] = expNegative ? '-' : '+';
            ++i;
        }
        qsizetype expDigits = 0;
        while (i < n && isDigit(t[i])) {
            if (exponent < 100000000) exponent = exponent * 10 + (t[i].unicode() - u'0');
            ascii[length++] = char(t[i].unicode());
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }
    if (i != n) return std::nullopt;

    // A plain decimal whose digits and power of ten are both exact doubles: one correctly
    // rounded division gives the nearest double, as from_chars would.
    if (!hasExponent && mantissaExact && fracDigits < qsizetype(std::size(kPowersOfTen))) {
        const double value = static_cast<double>(mantissa) / kPowersOfTen[fracDigits];
        return negative ? -value : value;
    }

    double value = 0.0;
    const char* first = ascii;
    const char* last = ascii + length;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (!seenSignificant || leadExponent + exponent <= 0) value = 0.0; // underflow: the nearest double is zero
        else return std::nullopt;                                            // overflow
    } else if (ec != std::errc() || ptr != last) {
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

} // namespace

double parseNumber(QStringView text)
{
    if (const auto v = tryParseNumber(text)) return *v;
    throw ConvertError(text.toString());
}

namespace {

// True when value * 10^digits lies exactly halfway between two integers.
bool isExactHalf(double value, int digits)
{
    if (value == 0.0 || !std::isfinite(value)) return false;
    int exp2 = 0;
    const double frac = std::frexp(std::fabs(value), &exp2); // value = frac * 2^exp2, frac in [0.5, 1)
    const auto mant = static_cast<std::uint64_t>(std::ldexp(frac, 53)); // exact 53-bit integer
    const int e = exp2 - 53;                                            // value = mant * 2^e
    // 2 * value * 10^d = mant * 5^d * 2^(e + 1 + d) is an odd integer exactly when the
    // binary exponent cancels all of mant's factors of two and no more.
    const int needed = -(e + 1 + digits);
    return needed >= 0 && std::countr_zero(mant) == needed;
}

} // namespace

namespace {

// value * 10^digits rounded to the nearest integer, halves away from zero, when the product's one
// rounding cannot have hidden which side of a half it lies on (it errs by less than half of
// `doubt`); nullopt near a half and for products of 2^51 and more, which the exact path takes.
std::optional<std::uint64_t> roundedScaled(double value, int digits)
{
    if (digits > 15) return std::nullopt;
    const double scaled = std::fabs(value) * kPowersOfTen[digits];
    if (!(scaled < 0x1p51)) return std::nullopt;
    const double whole = std::floor(scaled);
    const double rest = scaled - whole; // exact
    const double doubt = scaled * 0x1p-52;
    if (std::fabs(rest - 0.5) <= doubt) return std::nullopt;
    return static_cast<std::uint64_t>(rest > 0.5 ? whole + 1 : whole);
}

} // namespace

int writeFixedText(double value, int digits, char* out)
{
    if (!std::isfinite(value)) return 0;
    if (digits < 0) digits = 0;
    const auto rounded = roundedScaled(value, digits);
    if (!rounded) return 0;
    static constexpr std::uint64_t kUnits[] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL, 10000000ULL, 100000000ULL,
                                               1000000000ULL, 10000000000ULL, 100000000000ULL, 1000000000000ULL, 10000000000000ULL,
                                               100000000000000ULL, 1000000000000000ULL};
    char* o = out;
    if (value < 0 && *rounded != 0) *o++ = '-'; // a result that rounds to zero has no sign
    o = std::to_chars(o, out + kFixedTextSize, *rounded / kUnits[digits]).ptr;
    if (digits > 0) {
        *o++ = '.';
        std::uint64_t fraction = *rounded % kUnits[digits];
        for (int i = digits - 1; i >= 0; --i, fraction /= 10) o[i] = static_cast<char>('0' + fraction % 10);
        o += digits;
    }
    return static_cast<int>(o - out);
}

QString formatFixed(double value, int digits)
{
    if (!std::isfinite(value)) return std::isnan(value) ? QStringLiteral("NAN") : (value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF"));
    if (digits < 0) digits = 0;
    char text[kFixedTextSize];
    if (const int n = writeFixedText(value, digits, text)) return QString::fromLatin1(text, n);
    double v = value;
    if (isExactHalf(v, digits)) v = std::nextafter(v, v > 0 ? HUGE_VAL : -HUGE_VAL);
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    QString s = QString::fromLatin1(buf, r.ptr - buf);
    if (s.startsWith(u'-')) {
        bool allZero = true;
        for (QChar c : s)
            if (c >= u'1' && c <= u'9') { allZero = false; break; }
        if (allZero) s.remove(0, 1);
    }
    return s;
}

QString formatWithDigits(double value, QStringView digitsText)
{
    bool ok = false;
    const int digits = trimmed(digitsText).toInt(&ok);
    return formatFixed(value, ok ? std::clamp(digits, 0, 15) : 0);
}

QString shortestText(double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, r.ptr - buf);
}

} // namespace model
