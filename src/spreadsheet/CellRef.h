#pragma once
#include <QString>
#include <QStringView>
#include <optional>
#include <string_view>

namespace spreadsheet {

// The grid of a worksheet: rows 1..1,048,576, columns 1..16,384 (A..XFD).
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

struct CellPos {
    int row = 1;    // from 1
    int column = 1; // from 1
    friend bool operator==(const CellPos&, const CellPos&) = default;
};

// A rectangle of cells, corners included.
struct CellRect {
    int top = 1, left = 1, bottom = 1, right = 1;
    int rowCount() const { return bottom - top + 1; }
    int columnCount() const { return right - left + 1; }
    long long area() const { return static_cast<long long>(rowCount()) * columnCount(); }
    bool contains(int row, int column) const { return row >= top && row <= bottom && column >= left && column <= right; }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// "A" for 1, "Z" for 26, "AA" for 27, "CW" for 101, "XFD" for 16384.
QString columnLetters(int column);
// Column number of letters "A".."XFD" (case-insensitive); nullopt when invalid or out of range.
std::optional<int> columnNumber(QStringView letters);

// One side of an A1 reference: a cell "$B$2", a whole column "B" or a whole row "$2".
struct A1Part {
    enum class Kind { None, Cell, Column, Row } kind = Kind::None;
    int row = 0, column = 0;
    bool rowAbsolute = false, columnAbsolute = false;
};

// The one reader of A1 text, for text and for the bytes of a part alike: letters "A".."XFD"
// (case-insensitive), rows 1..1,048,576 without leading zeros, each optionally after "$".
// Kind::None when the text is none of the three or lies outside the grid.
A1Part parseA1Part(QStringView text);
A1Part parseA1Part(std::string_view text);

// Parses "B2" or "$B$2"; nullopt when not a single cell inside the grid.
std::optional<CellPos> parseA1(QStringView text);
std::optional<CellPos> parseA1(std::string_view text);
// "B2"; with absolute "$B$2".
QString formatA1(CellPos pos, bool absolute = false);

// Parses "B2:D5", "$B$2:$D$5" or a single cell; corners are put in order.
std::optional<CellRect> parseA1Range(QStringView text);
QString formatA1Range(const CellRect& rect, bool absolute = false);

// Parses an absolute R1C1 single-cell reference "R4C1" (case-insensitive).
std::optional<CellPos> parseR1C1(QStringView text);
QString formatR1C1(CellPos pos);

} // namespace spreadsheet
