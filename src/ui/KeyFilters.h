#pragma once
#include <QString>
#include <QStringView>
#include <optional>

class QKeyEvent;

namespace ui {

// The character filters of the input fields, named after the handlers that use them.
enum class CharFilter {
    Product, // text fields: everything except # * , / : ? [ \ ], and only what code page 932 holds
    Kupper,  // limits and control limits: digits, one period, one minus
    Klower,  // as Kupper
    Digits,  // counts: digits 0 to 9
    Keta,    // decimal digits: 0 to 5
    CpCpk,   // capability threshold: digits and one period
    GridEdit, // measurement cells: as Kupper, against the current cell's text
    LotNumber // lot numbers: anything code page 932 holds
};

// Whether `ch` may be typed into a field holding `text`. Control characters (Backspace,
// Enter, Esc, Tab) always pass; the caller gives them their own meaning.
bool acceptsChar(CharFilter filter, QChar ch, QStringView text);

// Whether every character of a key's text may be typed (one key may carry several).
bool acceptsKeyText(CharFilter filter, QStringView keyText, QStringView text);

// Whether a key types text: it carries a printable character and no command modifier
// (Ctrl+V is a command whatever text a platform gives it).
bool isTypedText(const QKeyEvent& key);

// Whether the filter takes only what the sheet files (code page 932) can hold: names and lot
// numbers.
bool holdsOnlyCp932(std::optional<CharFilter> filter);

// What the field holds after the operator changed `before` into `after` (typing, pasting, an
// input method's commit, a drop): the inserted characters go through the filter one by one,
// as if typed, look-alikes the sheet files cannot hold replaced by the ones they can (µ → μ);
// refused characters are dropped, as are those that would make the text longer than
// `maxLength` (none when negative). `notHeld` is the first inserted character (a whole code
// point) that was dropped only because code page 932 cannot hold it.
struct FilteredText {
    QString text;
    int cursor = 0;
    QString notHeld;
};
FilteredText filterInsertion(std::optional<CharFilter> filter, QStringView before, QStringView after, int cursor,
                             int maxLength = -1);
// The text and cursor of filterInsertion().
QString filteredInsertion(std::optional<CharFilter> filter, QStringView before, QStringView after, int& cursor,
                          int maxLength = -1);

// A minus is only possible as the first character: every later one is removed.
QString withLeadingMinusOnly(QStringView text);

// What Enter does to a measurement cell: a blank text stays and the cursor moves on; a
// number is written with the sheet's digits and the cursor moves on; anything else empties
// the cell and the cursor stays.
struct EnterResult {
    QString text;
    bool moveOn = true;
    friend bool operator==(const EnterResult&, const EnterResult&) = default;
};
EnterResult enterCellText(QStringView cellText, QStringView digitsText);

// The normalised texts of fields that are left (blank texts stay as they are).
// Limits with the sheet's digits; a text that is not a number becomes empty.
QString normalisedLimit(const QString& text, QStringView digitsText);
// The capability threshold with two decimals; a text that is not a number becomes "1.33".
QString normalisedThreshold(const QString& text);
// A count or digits field: empty, "0" or any text that is not a number becomes the minimum,
// above the maximum the maximum.
QString normalisedCount(const QString& text, int minimum, int maximum);

// The number a count field's text stands for: ASCII digits with an optional leading minus,
// nothing else (full-width digits are not a count). A digit string too long for a number
// gives the largest int.
std::optional<int> countFromText(QStringView text);
// A count the change handlers act on: a number other than 0.
bool isGivenCount(QStringView text);

} // namespace ui
