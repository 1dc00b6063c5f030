#include "reports/PageFrame.h"

#include "reports/ReportLayout.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/Worksheet.h"

namespace reports {

void writeIdentityBlock(spreadsheet::Worksheet& sheet, const chartmodel::Identification& id, int left)
{
    namespace L = layout;
    const auto rows = chartmodel::identityRows(id);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = L::kIdentityRow + int(i) % L::kIdentityRows + 1;
        const int col = left + int(i) / L::kIdentityRows * L::kIdentityGroupWidth + 1;
        sheet.range(spreadsheet::CellRect{row, col, row, col}).setText(rows[i].first);
        sheet.range(spreadsheet::CellRect{row, col + 1, row, col + 1}).setText(rows[i].second);
    }
}

void setPageFrame(spreadsheet::Book& book, int sheet, const chartmodel::Identification& id)
{
    const chartmodel::PageMargins m = chartmodel::pageMargins(id);
    book.setPageHeaderFooter(sheet, m.header, m.footer);
}

} // namespace reports
