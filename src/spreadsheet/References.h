#pragma once
#include "spreadsheet/CellRef.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

namespace spreadsheet {

// One reference found in a formula: a cell, an area, whole columns or whole rows, with
// an optional sheet prefix.
struct FormulaReference {
    enum class Kind { Cell, Area, Columns, Rows };
    Kind kind = Kind::Cell;
    bool qualified = false;  // carries a sheet prefix
    bool external = false;   // another workbook or a 3-D span of sheets: never adjusted
    QString sheet;           // sheet name without quotes when qualified
    // Corners; for Columns the rows are 1..kMaxRows, for Rows the columns 1..kMaxColumns.
    int top = 1, left = 1, bottom = 1, right = 1;
    bool topAbsolute = false, leftAbsolute = false, bottomAbsolute = false, rightAbsolute = false;

    CellRect rect() const { return {top, left, bottom, right}; }
    // The reference text after the sheet prefix, "$B$2:$B$4" and so on.
    QString areaText() const;
};

// Result of a rewriting callback: nothing (keep), the reference rewritten, or "#REF!".
struct ReferenceEdit {
    enum class Action { Keep, Replace, Invalidate };
    Action action = Action::Keep;
    FormulaReference replacement;
};

// Walks the references of a formula (strings, function names, numbers, error literals and
// structured references are passed over) and rebuilds it with the edits the callback asks for.
// Returns nullopt when nothing changed.
std::optional<QString> rewriteReferences(QStringView formula,
                                         const std::function<ReferenceEdit(const FormulaReference&)>& edit);

// Lists the references of a formula.
std::vector<FormulaReference> findReferences(QStringView formula);

// The edit a spreadsheet program makes when `deleted` on the sheet `targetSheet` is deleted with
// the cells below shifted up. Unqualified references belong to `ownSheet` (empty when every
// reference must name its sheet, as in defined names and chart series).
std::optional<QString> adjustForDeleteShiftUp(QStringView formula, QStringView ownSheet, QStringView targetSheet,
                                              const CellRect& deleted);

// The same edit on one area; nullopt when it becomes #REF!.
std::optional<CellRect> shiftUpArea(const CellRect& area, const CellRect& deleted);

// Moves the relative parts of every reference by the offset, as copying a formula does
// (shared formulas). Parts moved off the grid become #REF!.
QString offsetRelative(QStringView formula, int rowOffset, int columnOffset);

// Renames the sheet in qualified references.
std::optional<QString> renameSheetInFormula(QStringView formula, QStringView oldName, QStringView newName);

// A sheet name as a formula prefix needs it: quoted when it holds anything but letters, digits, "_" and ".".
QString sheetPrefix(QStringView name);

} // namespace spreadsheet
