#include "exchange/ImportedText.h"

#include "exchange/CellReference.h"
#include "exchange/SheetLayout.h"
#include "model/Cp932.h"
#include "model/DataLine.h"

namespace exchange {

namespace {

std::optional<QString> notHeldIn(const QString& text)
{
    if (model::representableInCp932(text)) return std::nullopt;
    const QString ch = model::firstUnrepresentableInCp932(text);
    return ch.isEmpty() ? text : ch;
}

std::optional<NotHeldText> fitRecord(model::SheetRecord& record, int sheetNumber)
{
    std::optional<NotHeldText> found;
    auto note = [&](const QString& text, int row, int col, const QString& label) {
        if (found) return;
        if (const auto ch = notHeldIn(text)) found = NotHeldText{sheetNumber, row, col, label, *ch};
    };
    QStringList fields = SheetLayout::fields(record);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        fields[i] = model::withCp932LookAlikes(fields[i]);
        note(fields[i], SheetLayout::kFieldRow, int(i) + 1, SheetLayout::labels().value(i));
    }
    SheetLayout::setFields(record, fields);
    for (qsizetype r = 0; r < record.dataLines.size(); ++r) {
        // None of the look-alikes is a comma or a quote: the line's fields stay as they were.
        QString& line = record.dataLines[r];
        line = model::withCp932LookAlikes(line);
        if (found || model::representableInCp932(line)) continue;
        const model::ParsedDataLine parsed = model::readDataLine(line);
        const int row = SheetLayout::kFirstLotRow + int(r);
        note(parsed.lotNumber, row, 1, QStringLiteral("ロット№"));
        for (qsizetype c = 0; c < parsed.cells.size(); ++c) note(parsed.cells[c], row, int(c) + 2, QStringLiteral("測定値"));
        note(line, row, 1, QStringLiteral("ロット№"));
    }
    return found;
}

} // namespace

std::optional<NotHeldText> fitToCp932(std::vector<model::SheetRecord>& records, const ForEachWorksheet& forEach)
{
    std::vector<std::optional<NotHeldText>> found(records.size());
    forEach(int(records.size()), [&](int i) { found[size_t(i)] = fitRecord(records[size_t(i)], i + 1); });
    for (std::optional<NotHeldText>& f : found)
        if (f) return std::move(f);
    return std::nullopt;
}

QString notHeldImportMessage(const NotHeldText& t, ReadMode mode)
{
    const QString place = mode == ReadMode::Csv
                              ? QStringLiteral("%1行目の%2番目の項目：%3").arg(t.row).arg(t.col).arg(t.label)
                              : QStringLiteral("ワークシート%1のセル%2：%3")
                                    .arg(t.sheetNumber)
                                    .arg(RowColToCell(t.row, t.col).remove(u'$'), t.label);
    return QStringLiteral("取り込むデータに使用できない文字%1が含まれています（%2）。取り込みは行いませんでした。")
        .arg(model::characterForMessage(t.character), place);
}

} // namespace exchange
