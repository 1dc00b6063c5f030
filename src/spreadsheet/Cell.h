#pragma once
#include <QExplicitlySharedDataPointer>
#include <QSharedData>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace spreadsheet {

enum class CellType : std::uint8_t {
    Empty,   // no value; the cell exists for its style only
    Number,
    Text,
    Boolean,
    Error,   // an error value such as #N/A, its text in `text`
};

// A formula as the workbook stores it (A1 notation, no leading "="). Kept, never evaluated;
// the cell's value is the result the writing program cached.
struct Formula : QSharedData {
    QString text;
    // Attributes of the formula element other than the shared-formula ones (t="array", ref, ca, ...).
    std::vector<std::pair<std::string, std::string>> attributes;
};

struct Cell {
    int column = 1;
    std::uint32_t style = 0; // index into the workbook's cell formats
    CellType type = CellType::Empty;
    bool booleanValue = false;
    std::int32_t sharedString = -1; // index of `text` in the shared strings when it came from there
    double number = 0.0;
    QString text; // text value, or the error text
    QExplicitlySharedDataPointer<const Formula> formula; // shared by copies; replaced, never changed

    bool hasValue() const { return type != CellType::Empty; }
    void clearValue()
    {
        type = CellType::Empty;
        text.clear();
        sharedString = -1;
        formula.reset();
    }
};

} // namespace spreadsheet
