#include "exchange/SheetReader.h"

#include "exchange/CellReference.h"
#include "exchange/SheetLayout.h"
#include "model/CommaText.h"
#include "model/Text.h"
#include "spreadsheet/Application.h"

namespace exchange {

bool ReadResult::tooManySheets() const { return count > SheetLayout::kMaxSheets; }

model::SheetRecord readSheetRecord(const spreadsheet::Worksheet& ws)
{
    model::SheetRecord record;
    const QString lastField = RowColToCell(SheetLayout::kFieldRow, SheetLayout::kFieldCount);
    SheetLayout::setFields(record, ws.range(QStringLiteral("A2"), lastField).values().value(0));

    const QString lastCell = RowColToCell(SheetLayout::kLastLotRow, SheetLayout::kColumns);
    const spreadsheet::Range lots = ws.range(QStringLiteral("A5"), lastCell);
    const spreadsheet::CellRect rect = lots.rect();
    record.enableFlags = QStringList(SheetLayout::kMaxLots, QStringLiteral("1"));
    record.dataLines.reserve(rect.rowCount());
    // Each line is built in one buffer and kept at its own size; the cells' texts are not copied.
    QString line;
    line.reserve(rect.columnCount() * 8);
    lots.forEachText([&](int row, int column, QStringView cell) {
        const QStringView text = model::trimmed(cell);
        model::appendCommaField(line, text);
        line += u',';
        // The counts reach the last lot number and the last measurement of the first lot, so a
        // blank lot number or cell in between never hides the lots or cells after it (a hidden
        // row or column would be dropped by the next save of the sheet).
        const int r = row - rect.top;
        if (!text.isEmpty() && column == rect.left) record.lotCount = r + 1;
        if (!text.isEmpty() && r == 0 && column > rect.left) record.measurementCount = column - rect.left;
        if (column == rect.right) {
            record.dataLines.append(QString(line.constData(), line.size()));
            line.resize(0); // keeps its room for the next line
        }
    });
    return record;
}

void inOrder(int count, const std::function<void(int)>& step)
{
    for (int i = 0; i < count; ++i) step(i);
}

ReadResult ReadSheets(ReadMode mode, const QString& path, const ForEachWorksheet& forEach)
{
    spreadsheet::Application application; // quits, closing the workbook unsaved, on every way out
    // Only the layout's cells are read: the rest of a file, however large, is never read.
    spreadsheet::Workbook workbook = application.openWorkbook(path, {SheetLayout::kLastLotRow, SheetLayout::kColumns});
    ReadResult result;
    result.count = workbook.worksheetCount();
    if (result.count == 0) return result;
    if (mode == ReadMode::Csv) {
        result.records.push_back(readSheetRecord(workbook.worksheet(1)));
        return result;
    }
    if (result.tooManySheets()) return result;
    result.records.resize(size_t(result.count));
    forEach(result.count, [&](int i) { result.records[size_t(i)] = readSheetRecord(workbook.worksheet(i + 1)); });
    return result;
}

void replaceSheets(model::SheetStore& store, std::vector<model::SheetRecord> records)
{
    // The defaults the resize gives added records are replaced right away.
    store.resize(int(records.size()), false, model::AppSettings{}, 0, 0);
    for (size_t i = 0; i < records.size(); ++i) store[int(i)] = std::move(records[i]);
}

} // namespace exchange
