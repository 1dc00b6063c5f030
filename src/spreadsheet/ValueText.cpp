#include "spreadsheet/ValueText.h"

#include "model/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace spreadsheet {

namespace {

// Splits scientific text "-1.2345e+07" into its digits "12345" and exponent 7.
int splitScientific(const char* first, const char* last, char* digits, int& exponent)
{
    int n = 0;
    const char* p = first;
    if (p < last && *p == '-') ++p;
    for (; p < last && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits[n++] = *p;
    exponent = 0;
    if (p < last && *p == 'e') {
        ++p;
        std::from_chars(p + (*p == '+' ? 1 : 0), last, exponent);
    }
    while (n > 1 && digits[n - 1] == '0') --n;
    return n;
}

// A number of at most 15 significant digits in plain notation, 1E-05 <= |value| < 1E+15, the
// most common shown: the fewest decimals k whose nearest integer m, divided by 10^k, reads back
// to the value. Division of two exact doubles rounds correctly, as reading the text does, so the
// check is exact; below 2^50 the product's rounding cannot pick the wrong integer, and the text
// with the fewest decimals is the shortest that reads back. Its length, or 0 for any other number;
// `significant` gets its count of significant digits.
int plainShortest(double value, char* out, int& significant)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    static constexpr std::uint64_t kIntegerPowers[] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL, 10000000ULL, 100000000ULL,
                                                       1000000000ULL, 10000000000ULL, 100000000000ULL, 1000000000000ULL, 10000000000000ULL,
                                                       100000000000000ULL, 1000000000000000ULL};
    const double a = std::fabs(value);
    if (!(a >= 1e-5 && a < 1e15)) return 0;
    for (int k = 0; k < 16; ++k) {
        const double scaled = a * kPowers[k];
        if (scaled >= 1e15) return 0; // 16 digits: shown rounded to 15
        // The nearest integer (below 2^50 adding a half is exact; an exact half, which no
        // candidate reads back from, may go either way).
        const auto digits = static_cast<std::uint64_t>(scaled + 0.5);
        if (static_cast<double>(digits) / kPowers[k] != a) continue;
        significant = 0;
        for (std::uint64_t d = digits; d > 0; d /= 10) significant = significant > 0 || d % 10 != 0 ? significant + 1 : 0;
        char* o = out;
        if (value < 0) *o++ = '-';
        o = std::to_chars(o, out + kNumberTextSize, digits / kIntegerPowers[k]).ptr;
        if (k > 0) {
            *o++ = '.';
            std::uint64_t fraction = digits % kIntegerPowers[k];
            for (int i = k - 1; i >= 0; --i, fraction /= 10) o[i] = static_cast<char>('0' + fraction % 10);
            o += k;
        }
        return static_cast<int>(o - out);
    }
    return 0;
}

} // namespace

int writeNumberText(double value, char* out)
{
    if (!std::isfinite(value)) { // never stored; a spreadsheet shows this error
        std::memcpy(out, "#NUM!", 5);
        return 5;
    }
    if (value == 0.0) {
        out[0] = '0';
        return 1;
    }
    int significant = 0;
    if (const int n = plainShortest(value, out, significant)) return n;
    char buf[64];
    char digits[32];
    int exponent = 0;
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    int n = splitScientific(buf, r.ptr, digits, exponent);
    if (n > 15) {
        // No text of 15 digits reads back exactly: round to 15 significant digits.
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
        n = splitScientific(buf, r.ptr, digits, exponent);
    }
    char* o = out;
    const auto put = [&o](const char* from, int count) {
        std::memcpy(o, from, static_cast<size_t>(count));
        o += count;
    };
    if (value < 0) *o++ = '-';
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            put("0.", 2);
            for (int i = 0; i < -exponent - 1; ++i) *o++ = '0';
            put(digits, n);
        } else if (n <= exponent + 1) {
            put(digits, n);
            for (int i = 0; i < exponent + 1 - n; ++i) *o++ = '0';
        } else {
            put(digits, exponent + 1);
            *o++ = '.';
            put(digits + exponent + 1, n - exponent - 1);
        }
    } else {
        *o++ = digits[0];
        if (n > 1) {
            *o++ = '.';
            put(digits + 1, n - 1);
        }
        *o++ = 'E';
        *o++ = exponent < 0 ? '-' : '+';
        const int a = std::abs(exponent);
        if (a < 10) *o++ = '0';
        o = std::to_chars(o, out + kNumberTextSize, a).ptr;
    }
    return static_cast<int>(o - out);
}

QString numberText(double value)
{
    char text[kNumberTextSize];
    return QString::fromLatin1(text, writeNumberText(value, text));
}

void appendNumberText(QString& out, double value)
{
    char text[kNumberTextSize];
    out.append(QLatin1StringView(text, writeNumberText(value, text)));
}

bool typingChanges(const QString& text)
{
    const auto v = model::tryParseNumber(text);
    return v && numberText(*v) != text;
}

int writeStoredNumber(double value, char* out)
{
    // The plain text when the shortest form is plain (not longer than "1.2345e+06", a tie
    // going to plain), as to_chars chooses; to_chars itself for the rest.
    int significant = 0;
    if (const int n = plainShortest(value, out, significant)) {
        const int scientific = (value < 0 ? 1 : 0) + significant + (significant > 1 ? 1 : 0) + 4;
        if (n <= scientific) return n;
    }
    return static_cast<int>(std::to_chars(out, out + kNumberTextSize, value).ptr - out);
}

void appendStoredNumber(std::string& out, double value)
{
    char buf[kNumberTextSize];
    out.append(buf, static_cast<size_t>(writeStoredNumber(value, buf)));
}

} // namespace spreadsheet
