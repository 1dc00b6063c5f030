#include "spreadsheet/ValueText.h"

#include "model/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace spreadsheet {

namespace {

// Splits scientific text "-1.2345e+07" into its digits "12345" and exponent 7.
void splitScientific(const char* first, const char* last, std::string& digits, int& exponent)
{
    digits.clear();
    const char* p = first;
    if (p < last && *p == '-') ++p;
    for (; p < last && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    exponent = 0;
    if (p < last && *p == 'e') {
        ++p;
        std::from_chars(p + (*p == '+' ? 1 : 0), last, exponent);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

} // namespace

QString numberText(double value)
{
    if (!std::isfinite(value)) return QStringLiteral("#NUM!"); // never stored; a spreadsheet shows this error
    if (value == 0.0) return QStringLiteral("0");
    char buf[64];
    std::string digits;
    int exponent = 0;
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    splitScientific(buf, r.ptr, digits, exponent);
    if (digits.size() > 15) {
        // No text of 15 digits reads back exactly: round to 15 significant digits.
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
        splitScientific(buf, r.ptr, digits, exponent);
    }
    std::string out;
    if (value < 0) out.push_back('-');
    const int n = static_cast<int>(digits.size());
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digits;
        } else if (n <= exponent + 1) {
            out += digits;
            out.append(static_cast<size_t>(exponent + 1 - n), '0');
        } else {
            out.append(digits, 0, static_cast<size_t>(exponent + 1));
            out.push_back('.');
            out.append(digits, static_cast<size_t>(exponent + 1), std::string::npos);
        }
    } else {
        out.push_back(digits[0]);
        if (n > 1) {
            out.push_back('.');
            out.append(digits, 1, std::string::npos);
        }
        out.push_back('E');
        out.push_back(exponent < 0 ? '-' : '+');
        const int a = std::abs(exponent);
        if (a < 10) out.push_back('0');
        out += std::to_string(a);
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

bool typingChanges(const QString& text)
{
    const auto v = model::tryParseNumber(text);
    return v && numberText(*v) != text;
}

void appendStoredNumber(std::string& out, double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

} // namespace spreadsheet
