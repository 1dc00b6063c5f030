#include "exchange/CsvWriter.h"

#include "exchange/UnencodableText.h"
#include "exchange/SheetLayout.h"
#include "model/CommaText.h"
#include "model/Cp932.h"
#include "model/DataLine.h"
#include "model/FileSafety.h"

#include <QFileInfo>

namespace exchange {

UnencodableText::UnencodableText(int sheetNumber, const QString& sheetName, const QString& text)
    : spreadsheet::Error(QStringLiteral("シート「%1」（%2）の「%3」には、CSVファイル（シフトJIS）で表せない文字が含まれています。"
                           "このシートから後のCSVファイルは保存されていません…。")
                .arg(sheetName, csvFileName(sheetNumber), text))
    , sheetNumber_(sheetNumber)
    , text_(text)
{
}

QString csvField(const QString& field)
{
    const bool quoted = field.contains(u',') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n');
    if (!quoted) return field;
    QString q = field;
    q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString csvHeadingLine(const QString& lotHeading, const QStringList& measurementHeadings)
{
    return csvField(lotHeading) + u',' + model::writeCommaText(measurementHeadings);
}

QStringList sheetCsvLines(const model::SheetRecord& record, const QString& headingLine)
{
    QStringList lines;
    lines.reserve(4 + record.dataLines.size());
    lines.append(SheetLayout::labels().join(u','));
    QStringList fields = SheetLayout::fields(record);
    for (QString& f : fields) f = csvField(f);
    lines.append(fields.join(u','));
    lines.append(QString());
    lines.append(headingLine);
    const qsizetype n = std::min(record.enableFlags.size(), record.dataLines.size());
    for (qsizetype i = 0; i < n; ++i)
        if (record.enableFlags[i] == u"1") lines.append(record.dataLines[i]);
    return lines;
}

QString csvFileName(int sheetNumber) { return model::defaultSheetName(sheetNumber) + QStringLiteral(".csv"); }

namespace {

// The first text of the sheet's lines that code page 932 cannot hold: a header field, a
// heading, a lot number or a cell, as the operator knows it.
QString firstUnencodable(const model::SheetRecord& record, const QStringList& lines)
{
    for (const QString& f : SheetLayout::fields(record))
        if (!model::representableInCp932(f)) return f;
    for (qsizetype i = 3; i < lines.size(); ++i) {
        if (model::representableInCp932(lines[i])) continue;
        const model::ParsedDataLine parsed = model::readDataLine(lines[i]);
        if (!model::representableInCp932(parsed.lotNumber)) return parsed.lotNumber;
        for (const QString& cell : parsed.cells)
            if (!model::representableInCp932(cell)) return cell;
        return lines[i];
    }
    return {};
}

QByteArray encodeCp932(const model::SheetRecord& record, int sheetNumber, const QStringList& lines)
{
    QString text = lines.join(QStringLiteral("\r\n"));
    text += QStringLiteral("\r\n");
    model::Cp932Codec cp932;
    if (!cp932.available()) throw spreadsheet::Error(QStringLiteral("シフトJIS（コードページ932）の変換が使えないため、CSVファイルを保存できません。"));
    // A character without a code, or one written as a look-alike, never reaches the file.
    std::optional<QByteArray> bytes = cp932.encode(text);
    if (!bytes) throw UnencodableText(sheetNumber, record.item, firstUnencodable(record, lines));
    return *std::move(bytes);
}

} // namespace

void WriteSheetCsv(const QString& path, const model::SheetRecord& record, int sheetNumber, const QString& headingLine)
{
    const QByteArray bytes = encodeCp932(record, sheetNumber, sheetCsvLines(record, headingLine));
    if (const auto failure = model::saveFile(path, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); }))
        throw spreadsheet::fileError(QStringLiteral("CSVファイル「%1」を保存できませんでした。").arg(QFileInfo(path).fileName()),
                                     *failure);
}

} // namespace exchange
