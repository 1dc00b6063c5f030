// What every report page carries: the identification block on a chart page, and the
// identification in the header and footer of every printed page.
#pragma once
#include "chartmodel/Identification.h"

namespace spreadsheet {
class Book;
class Worksheet;
} // namespace spreadsheet

namespace reports {

// The block's label and value cells, three groups of four rows from the chart page's third row
// (reports/ReportLayout.h), the page starting in column `left` (from 0).
void writeIdentityBlock(spreadsheet::Worksheet& sheet, const chartmodel::Identification& id, int left);

// The header and footer of every printed page of worksheet `sheet` (from 0).
void setPageFrame(spreadsheet::Book& book, int sheet, const chartmodel::Identification& id);

} // namespace reports
