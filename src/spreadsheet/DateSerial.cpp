#include "spreadsheet/DateSerial.h"

#include <QDate>

#include <charconv>

namespace spreadsheet {

namespace {

bool number(std::string_view& s, size_t digits, int& out)
{
    if (s.size() < digits) return false;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + digits, out);
    if (ec != std::errc() || p != s.data() + digits) return false;
    s.remove_prefix(digits);
    return true;
}

bool expect(std::string_view& s, char c)
{
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

} // namespace

std::optional<double> dateSerial(std::string_view s, bool date1904)
{
    double days = 0;
    bool hasDate = false;
    if (s.size() >= 10 && s[4] == '-') {
        int y, m, d;
        if (!number(s, 4, y) || !expect(s, '-') || !number(s, 2, m) || !expect(s, '-') || !number(s, 2, d)) return std::nullopt;
        const QDate date(y, m, d);
        if (!date.isValid()) return std::nullopt;
        if (date1904) {
            days = static_cast<double>(date.toJulianDay() - QDate(1904, 1, 1).toJulianDay());
        } else {
            // Spreadsheets count a 29 February 1900, so days before March 1900 are one fewer.
            const QDate epoch = date < QDate(1900, 3, 1) ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
            days = static_cast<double>(date.toJulianDay() - epoch.toJulianDay());
        }
        if (days < 0 || (!date1904 && date.year() < 1900)) return std::nullopt;
        hasDate = true;
        if (!s.empty() && (s.front() == 'T' || s.front() == ' ')) s.remove_prefix(1);
        else if (!s.empty()) return std::nullopt;
    } else if (!s.empty() && s.front() == 'T') {
        s.remove_prefix(1);
    }
    if (!s.empty()) {
        int h, m, sec = 0;
        double fraction = 0;
        if (!number(s, 2, h) || !expect(s, ':') || !number(s, 2, m)) return std::nullopt;
        if (!s.empty() && s.front() == ':') {
            s.remove_prefix(1);
            if (!number(s, 2, sec)) return std::nullopt;
            if (!s.empty() && s.front() == '.') {
                size_t n = 1;
                while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
                if (n == 1) return std::nullopt;
                std::from_chars(s.data(), s.data() + n, fraction);
                s.remove_prefix(n);
            }
        }
        if (h > 24 || m > 59 || sec > 60 || (h == 24 && (m || sec || fraction))) return std::nullopt;
        // A time zone is left out.
        if (!s.empty() && s.front() == 'Z') {
            s.remove_prefix(1);
        } else if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
            s.remove_prefix(1);
            int zh, zm;
            if (!number(s, 2, zh) || !expect(s, ':') || !number(s, 2, zm)) return std::nullopt;
        }
        if (!s.empty()) return std::nullopt;
        days += (h * 3600 + m * 60 + sec + fraction) / 86400.0;
    } else if (!hasDate) {
        return std::nullopt;
    }
    return days;
}

} // namespace spreadsheet
