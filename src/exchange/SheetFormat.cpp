#include "exchange/SheetFormat.h"

#include "exchange/CsvWriter.h"
#include "exchange/ImportedText.h"
#include "exchange/SheetGrids.h"
#include "model/FileSafety.h"
#include "model/SheetRecord.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"

#include <QDir>
#include <QFileInfo>

namespace exchange {

namespace {

QString patterns(const QStringList& suffixes)
{
    QStringList out;
    for (const QString& s : suffixes) out.append(QStringLiteral("*.") + s);
    return out.join(u';');
}

class CsvFormat final : public SheetFormat {
public:
    QString description() const override { return QStringLiteral("CSVファイル (カンマ区切り)"); }
    QStringList suffixes() const override { return {QStringLiteral("csv")}; }
    ReadMode readMode() const override { return ReadMode::Csv; }
    bool hasWriter() const override { return true; }
    bool writesFolder() const override { return true; }

    // A file per sheet in the folder, "Sheet1.csv" onward, each with the same heading line.
    QStringList write(const QString& folder, const SheetsToWrite& sheets) const override
    {
        model::removeStaleTemporaries(folder); // what a killed export left
        QStringList written;
        for (int i = 0; i < sheets.store.count(); ++i) {
            const QString path = QDir(folder).filePath(csvFileName(i + 1));
            if (sheets.beforeSheet) sheets.beforeSheet(i, csvFileName(i + 1));
            WriteSheetCsv(path, sheets.store[i], i + 1, sheets.headingLine);
            written.append(path);
            if (sheets.afterSheet) sheets.afterSheet(i);
        }
        return written;
    }

protected:
    QString failureText(ReadFailure) const override
    {
        return QStringLiteral("CSVファイルのオープンに失敗しました。ファイルの内容を確認してください…。");
    }
};

class WorkbookFormat final : public SheetFormat {
public:
    WorkbookFormat(QString suffix, bool writer) : suffix_(std::move(suffix)), writer_(writer) {}

    QString description() const override { return QStringLiteral("Excelブック"); }
    QStringList suffixes() const override { return {suffix_}; }
    ReadMode readMode() const override { return ReadMode::Workbook; }
    bool hasWriter() const override { return writer_; }
    QString writtenPath(const QString& path) const override { return spreadsheet::Workbook::savePathFor(path); }
    QString writeFailureText() const override { return QStringLiteral("Excelブックの保存に失敗しました。保存先を確認してください…。"); }

    // One worksheet per sheet, saved as Office Open XML under writtenPath(path).
    QStringList write(const QString& path, const SheetsToWrite& sheets) const override
    {
        if (!writer_) return SheetFormat::write(path, sheets);
        spreadsheet::Application application; // closes the workbook unsaved and quits on every way out
        const model::SheetStore& store = sheets.store;
        WorkbookSheets book = WriteWorkbookSheets(
            application, store,
            [&](int i) {
                if (sheets.beforeSheet) sheets.beforeSheet(i, model::defaultSheetName(i + 1));
                return sheets.gridsOf ? sheets.gridsOf(i) : std::make_unique<SheetGrids>(store[i]);
            },
            sheets.afterSheet, sheets.forEach);
        if (sheets.unsuitableSheet)
            for (const WorkbookSheets::Warning& w : book.unsuitableSheets) sheets.unsuitableSheet(w.sheet, w.notice);
        const QString written = book.workbook.saveAs(path);
        model::removeStaleTemporaries(QFileInfo(written).absolutePath()); // what a killed save left
        return {written};
    }

protected:
    QString failureText(ReadFailure failure) const override
    {
        switch (failure) {
        case ReadFailure::Unreadable:
            return QStringLiteral("Excelブックのオープンに失敗しました。拡張子がサポートされているか確認してください…。");
        case ReadFailure::TooManySheets:
            return QStringLiteral("シートの最大値を超えました。Excelファイルのシート数を確認してください…。");
        default:
            return QStringLiteral("Excelブックのオープンに失敗しました。ファイルの内容を確認してください…。");
        }
    }

private:
    QString suffix_;
    bool writer_;
};

} // namespace

QString SheetsRead::warning(const QString& path) const
{
    if (failure != ReadFailure::Unreadable) return message;
    return message + u'\n' + model::failureLine(fileFailure.value_or(model::FileFailure{model::FileProblem::Unreadable, path}));
}

bool SheetFormat::supportsFile(const QString& path) const
{
    return suffixes().contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

QString SheetFormat::nameFilter() const { return exchange::nameFilter({this}); }

SheetsRead SheetFormat::read(const QString& path, const ForEachWorksheet& forEach) const
{
    SheetsRead out;
    const auto refuse = [&](ReadFailure failure, QString message) {
        out.failure = failure;
        out.records.clear();
        out.message = std::move(message);
        return std::move(out);
    };
    ReadResult result;
    try {
        result = ReadSheets(readMode(), path, forEach);
    } catch (const std::exception& e) {
        out.cause = QString::fromUtf8(e.what());
        if (const auto* error = dynamic_cast<const spreadsheet::Error*>(&e)) out.fileFailure = error->fileFailure();
        return refuse(ReadFailure::Unreadable, failureText(ReadFailure::Unreadable));
    }
    out.count = result.count;
    if (result.tooManySheets()) return refuse(ReadFailure::TooManySheets, failureText(ReadFailure::TooManySheets));
    if (result.records.empty()) return refuse(ReadFailure::NoSheet, failureText(ReadFailure::NoSheet));
    if (const auto notHeld = fitToCp932(result.records, forEach))
        return refuse(ReadFailure::NotHeld, notHeldImportMessage(*notHeld, readMode()));
    out.records = std::move(result.records);
    return out;
}

QStringList SheetFormat::write(const QString& target, const SheetsToWrite&) const
{
    throw spreadsheet::Error(QStringLiteral("%1 files are read only: %2").arg(description(), QDir::toNativeSeparators(target)));
}

const SheetFormat& csvFormat()
{
    static const CsvFormat format;
    return format;
}

const SheetFormat& xlsFormat()
{
    static const WorkbookFormat format(QStringLiteral("xls"), false);
    return format;
}

const SheetFormat& xlsxFormat()
{
    static const WorkbookFormat format(QStringLiteral("xlsx"), true);
    return format;
}

const SheetFormat& readingFormat(const QString& path)
{
    for (const SheetFormat* format : {&csvFormat(), &xlsFormat()})
        if (format->supportsFile(path)) return *format;
    return xlsxFormat();
}

QString nameFilter(std::initializer_list<const SheetFormat*> formats)
{
    QStringList descriptions;
    QList<QStringList> suffixes;
    for (const SheetFormat* format : formats) {
        const qsizetype at = descriptions.indexOf(format->description());
        if (at < 0) {
            descriptions.append(format->description());
            suffixes.append(format->suffixes());
        } else {
            suffixes[at] += format->suffixes();
        }
    }
    QStringList entries;
    for (qsizetype i = 0; i < descriptions.size(); ++i) {
        const QString p = patterns(suffixes[i]);
        entries.append(QStringLiteral("%1 (%2)|%2").arg(descriptions[i], p));
    }
    return entries.join(u'|');
}

} // namespace exchange
