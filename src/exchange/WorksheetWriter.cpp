#include "exchange/WorksheetWriter.h"

#include "exchange/CellReference.h"
#include "exchange/SheetLayout.h"
#include "model/NumberText.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/ValueText.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace exchange {

QString digitsNumberFormat(const QString& digits)
{
    // The decimals the view shows for this digits text, so the cells look as they did there.
    return fixedNumberFormat(model::digitsFromText(digits));
}

QString fixedNumberFormat(int decimals) { return model::formatFixed(0.0, decimals) + QStringLiteral("_ "); }

namespace {

// A name or lot number typing would change ("0012" would come back as "12") is stored as
// text; one that reads back the same ("12", "K001") is entered as typed.
void enterName(spreadsheet::Range cell, const QString& text)
{
    if (spreadsheet::typingChanges(text)) cell.setText(text);
    else cell.setValue(text);
}

// The header fields that are names; the limits are numbers shown with the sheet's digits.
constexpr int kNameFields = 7;

} // namespace

namespace {

void writeHeaderValues(spreadsheet::Worksheet& ws, const model::SheetRecord& record)
{
    const QStringList& labels = SheetLayout::labels();
    const QStringList fields = SheetLayout::fields(record);
    for (int c = 0; c < SheetLayout::kFieldCount; ++c) {
        const QString column = spreadsheet::columnLetters(c + 1);
        ws.range(column + QString::number(SheetLayout::kLabelRow)).setValue(labels[c]);
        spreadsheet::Range field = ws.range(column + QString::number(SheetLayout::kFieldRow));
        if (c < kNameFields) enterName(field, fields[c]);
        else field.setValue(fields[c]);
    }
}

void formatHeader(spreadsheet::Worksheet& ws, const model::SheetRecord& record)
{
    ws.range(QStringLiteral("H2"), QStringLiteral("I2")).setNumberFormatLocal(digitsNumberFormat(record.digits));
}

} // namespace

void WriteSheetHeader(spreadsheet::Worksheet& ws, const model::SheetRecord& record)
{
    writeHeaderValues(ws, record);
    formatHeader(ws, record);
}

namespace {

// The values of the block, row by row.
QList<QStringList> blockValues(const GridBlock& b, int rows, int columns)
{
    QList<QStringList> out(rows, QStringList(columns));
    const model::CellTable& cells = *b.cells;
    const int gridRows = std::min(rows, model::CellTable::kRows);
    if (b.kind == GridKind::Measurements) {
        const model::CellTable& lots = *b.lots;
        int taken = 0;
        for (int r = 0; r < gridRows; ++r) {
            if (r > 0 && !lots.flag(1, r)) continue;
            QStringList& row = out[taken++];
            row[0] = lots.text(0, r);
            for (int c = 1; c < columns && c - 1 < model::CellTable::kCols; ++c) row[c] = cells.text(c - 1, r);
        }
    } else {
        for (int r = 0; r < gridRows; ++r)
            for (int c = 0; c < columns && c < model::CellTable::kCols; ++c) out[r][c] = cells.text(c, r);
    }
    return out;
}

} // namespace

void WriteGridBlock(spreadsheet::Worksheet& ws, const model::SheetRecord& record, const GridBlock& block)
{
    FormatGridBlock(ws, record, WriteGridBlockValues(ws, record, block));
}

GridFormats WriteGridBlockValues(spreadsheet::Worksheet& ws, const model::SheetRecord& record, const GridBlock& block)
{
    writeHeaderValues(ws, record);
    if (!block.cells || (block.kind == GridKind::Measurements && !block.lots)) return {};
    const RowCol origin = CellToRowCol(QStringLiteral("A4"));
    const int rows = std::clamp(block.rows, 0, model::CellTable::kRows);
    const int columns = std::clamp(block.cols + (block.kind == GridKind::Measurements ? 1 : 0), 0, model::CellTable::kCols + 1);
    if (rows < 1 || columns < 1) return {};
    const QString last = RowColToCell(origin.row + rows - 1, origin.col + columns - 1);
    const QList<QStringList> values = blockValues(block, rows, columns);
    ws.range(QStringLiteral("A4"), last).setValues(values);
    // Lot numbers keep their text ("0012" is not the number 12).
    for (int r = 1; r < rows; ++r)
        if (spreadsheet::typingChanges(values[r][0])) ws.range(RowColToCell(origin.row + r, origin.col)).setText(values[r][0]);
    return {block.kind, rows, columns};
}

void FormatGridBlock(spreadsheet::Worksheet& ws, const model::SheetRecord& record, const GridFormats& formats)
{
    formatHeader(ws, record);
    const int rows = formats.rows, columns = formats.columns;
    if (rows < 1 || columns < 1) return;
    if (formats.kind == GridKind::Measurements) {
        const RowCol origin = CellToRowCol(QStringLiteral("A4"));
        const QString last = RowColToCell(origin.row + rows - 1, origin.col + columns - 1);
        if (rows > 1 && columns > 1) ws.range(QStringLiteral("B5"), last).setNumberFormatLocal(digitsNumberFormat(record.digits));
    } else if (formats.kind == GridKind::Capability && rows > 1) {
        const QString end = QString::number(rows + 3);
        ws.range(QStringLiteral("C5"), QStringLiteral("G") + end).setNumberFormatLocal(fixedNumberFormat(5));
        ws.range(QStringLiteral("H5"), QStringLiteral("I") + end).setNumberFormatLocal(fixedNumberFormat(3));
    }
}

} // namespace exchange
