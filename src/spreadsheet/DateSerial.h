#pragma once
#include <optional>
#include <string_view>

namespace spreadsheet {

// Days between the 1904 and the 1900 date systems of spreadsheets.
inline constexpr double k1904Offset = 1462;

// The day serial number of an ISO 8601 date, date and time, or time ("2024-01-15",
// "2024-01-15T13:30:00.5Z", "13:30:00") as a spreadsheet stores it: days since 1899-12-30
// counting the 1900 leap day spreadsheets count (or since 1904-01-01 in the 1904 system), the
// time of day as the fraction. A time zone is ignored, as spreadsheets do. nullopt for anything
// else or a date the system cannot hold.
std::optional<double> dateSerial(std::string_view iso, bool date1904 = false);

} // namespace spreadsheet
