#pragma once
#include <QString>
#include <QStringView>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace model {

// Raised when a text that must be a number is not one. The message is the one the
// operator sees in the standard error box.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const QString& text);
    const QString& text() const { return text_; }
    QString message() const;

private:
    QString text_;
};

// The one number parser: decimal point ".", optional sign, digits with an optional
// fraction, optional exponent; characters with codes up to 32 around it are allowed.
// Everything else (thousands separators, inf, nan, hex, overflow) is refused.
std::optional<double> tryParseNumber(QStringView text);
double parseNumber(QStringView text); // throws ConvertError

// The value of the texts numbers are nearly always written as: digits with at most one point,
// at least one digit and at most 15 in all, nothing else (no sign, blank or exponent). The
// nearest double, as every correct reader gives it; nullopt for any other text.
std::optional<double> plainDecimal(std::string_view text);

// "%.Nf" with exact halves rounded away from zero; exact for every double.
// A result that rounds to zero carries no minus sign.
QString formatFixed(double value, int digits);
// The same text written into `out` (kFixedTextSize characters) for the values that have a quick
// exact way (most do); returns its length, or 0 when formatFixed must be asked.
inline constexpr int kFixedTextSize = 48;
int writeFixedText(double value, int digits, char* out);

// Formats with the digits given as text, as the sheet's digits field holds them ("%." + digits + "f").
QString formatWithDigits(double value, QStringView digitsText);

// Shortest text that reads back to the same double ("10.5", "3").
QString shortestText(double value);

} // namespace model
