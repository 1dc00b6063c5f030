#include "spreadsheet/NumberFormats.h"

#include <array>

namespace spreadsheet {

namespace {

constexpr std::array<const char*, 50> kBuiltin = {
    "General", "0", "0.00", "#,##0", "#,##0.00",
    "\"$\"#,##0_);(\"$\"#,##0)", "\"$\"#,##0_);[Red](\"$\"#,##0)", "\"$\"#,##0.00_);(\"$\"#,##0.00)",
    "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)", "0%", "0.00%", "0.00E+00", "# ?/?", "# ?" "?/??",
    "mm-dd-yy", "d-mmm-yy", "d-mmm", "mmm-yy", "h:mm AM/PM", "h:mm:ss AM/PM", "h:mm", "h:mm:ss", "m/d/yy h:mm",
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "#,##0_);(#,##0)", "#,##0_);[Red](#,##0)", "#,##0.00_);(#,##0.00)", "#,##0.00_);[Red](#,##0.00)",
    "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)",
    "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)",
    "_(\"$\"* #,##0.00_)_(\"$\"* \\(#,##0.00\\)_(\"$\"* \"-\"??_)_(@_)", "mm:ss", "[h]:mm:ss", "mmss.0", "##0.0E+0", "@",
};

} // namespace

const char* builtinNumberFormat(int id)
{
    return id >= 0 && id < static_cast<int>(kBuiltin.size()) ? kBuiltin[static_cast<size_t>(id)] : nullptr;
}

int builtinNumberFormatId(QStringView code)
{
    for (size_t id = 0; id < kBuiltin.size(); ++id)
        if (kBuiltin[id] && code == QLatin1String(kBuiltin[id])) return static_cast<int>(id);
    return -1;
}

bool isDateFormat(QStringView code)
{
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != u'"';
            continue;
        }
        switch (c.unicode()) {
        case u'"': quoted = true; break;
        case u'\\':
        case u'_':
        case u'*': ++i; break; // the next character is literal, a space width or a fill
        case u'[': {
            // [h], [mm] and [ss] are elapsed times; colours, conditions and locales are not.
            const qsizetype end = code.indexOf(u']', i);
            if (end < 0) return false;
            const QStringView inside = code.mid(i + 1, end - i - 1);
            if (!inside.isEmpty() && (inside[0] == u'h' || inside[0] == u'H' || inside[0] == u'm' || inside[0] == u'M'
                                      || inside[0] == u's' || inside[0] == u'S'))
                return true;
            i = end;
            break;
        }
        case u';': return false; // the first section decides
        case u'd': case u'D': case u'm': case u'M': case u'y': case u'Y':
        case u'h': case u'H': case u's': case u'S':
            return true;
        default: break;
        }
    }
    return false;
}

} // namespace spreadsheet
