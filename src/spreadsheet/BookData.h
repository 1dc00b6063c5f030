#pragma once
// Inner state of a Book: the package and what the engine reads of it.
#include "spreadsheet/Book.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/Relationships.h"
#include "spreadsheet/SharedStrings.h"
#include "spreadsheet/SheetEntry.h"
#include "spreadsheet/Styles.h"

#include <QIODevice>
#include <pugixml.hpp>

#include <string>
#include <vector>

namespace spreadsheet {

class ZipArchive;

struct BookData {
    SourceFormat format = SourceFormat::New;
    Package package;
    std::string workbookPart;
    pugi::xml_document workbook;
    Relationships workbookRelationships;
    Styles styles;
    std::string sharedStringsPart;
    SharedStrings strings;
    std::vector<SheetEntry> sheets; // every sheet in workbook order
    std::vector<size_t> worksheets; // worksheet number (from 0) -> index into sheets

    // What reading has cost, against the limits of one workbook.
    ParseBudget budget;

    // Set once any cell of the workbook changed: from then on no formula has a known result.
    bool cellsChanged = false;
    bool date1904 = false; // the workbook counts days from 1904
    // Set before load() for a bounded read: only the cells of rows 1..lastRow and columns
    // 1..lastColumn are kept. Such a workbook is read in part and never written back.
    int lastRow = kMaxRows;
    int lastColumn = kMaxColumns;
    bool partial() const { return lastRow < kMaxRows || lastColumn < kMaxColumns; }

    // Reads the workbook the package holds: its sheets, cells, shared strings and styles. A
    // package opened on its archive has its worksheets streamed from there, and only the shared
    // strings the kept cells use are read, after the worksheets.
    void load(Package package);
    // Writes the package: changed worksheets from their cells, the other parts as read.
    void write(QIODevice& out);

    SheetEntry& worksheet(int index);
    const SheetEntry& worksheet(int index) const;
    // The cells of a worksheet by name (case-insensitive); nullptr when there is none.
    const SheetData* cellsByName(QStringView name) const;
    // The styles, given a part of their own first when the workbook has none.
    Styles& editableStyles();
    // Called before cells change: the cached results of every formula become stale, so they are
    // dropped (and the formulas written without them) for every reader to compute afresh.
    void noteCellsChanging();

private:
    // The texts of the shared strings the cells of a bounded read use.
    void fillSharedStrings(ZipArchive& archive);
};

} // namespace spreadsheet
