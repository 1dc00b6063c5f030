#pragma once
#include "spreadsheet/SheetData.h"

#include <QString>
#include <pugixml.hpp>

#include <memory>
#include <string>

namespace spreadsheet {

// One sheet of a workbook as listed in its workbook part.
struct SheetEntry {
    QString name;
    std::string partName;
    bool isWorksheet = true; // chart sheets are kept but hold no cells
    SheetData cells;
    // The worksheet part without its cells; written around the cells when the sheet changed.
    std::unique_ptr<pugi::xml_document> skeleton;
    bool modified = false;
};

} // namespace spreadsheet
