#include "cli/SheetFile.h"

#include "cli/SheetWorkers.h"
#include "exchange/ImportedText.h"
#include "exchange/SheetReader.h"

#include <QFileInfo>

namespace cli {

namespace {

QString oneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

FileError::FileError(const QString& file, const QString& problem)
    : std::runtime_error(oneLine(file + QStringLiteral(": ") + problem).toStdString())
{
}

bool isCsvFile(const QString& path) { return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive); }

std::vector<model::SheetRecord> readSheetFile(const QString& path)
{
    const bool csv = isCsvFile(path);
    // The window's warnings for the same failures, with the reader's reason after them.
    const QString openFailed = csv ? QStringLiteral("CSVファイルのオープンに失敗しました。ファイルの内容を確認してください…。")
                                   : QStringLiteral("Excelブックのオープンに失敗しました。ファイルの内容を確認してください…。");
    if (const QFileInfo info(path); info.isFile() && info.size() == 0) throw FileError(path, QStringLiteral("ファイルが空です (0 バイト)"));
    exchange::ReadResult result;
    try {
        result = exchange::ReadSheets(csv ? exchange::ReadMode::Csv : exchange::ReadMode::Workbook, path, forEachSheet);
    } catch (const std::exception& e) {
        const QString failed = csv ? openFailed
                                   : QStringLiteral("Excelブックのオープンに失敗しました。拡張子がサポートされているか確認してください…。");
        throw FileError(path, failed + QStringLiteral(" (") + QString::fromUtf8(e.what()) + u')');
    }
    if (result.tooManySheets())
        throw FileError(path, QStringLiteral("シートの最大値を超えました。Excelファイルのシート数を確認してください…。 (%1 シート)")
                                   .arg(result.count));
    if (result.records.empty()) throw FileError(path, openFailed);
    // As the window imports: look-alikes become the characters the sheet files hold, and a file
    // with any other character they cannot hold is refused.
    if (const auto notHeld = exchange::fitToCp932(result.records))
        throw FileError(path, exchange::notHeldImportMessage(*notHeld, csv ? exchange::ReadMode::Csv : exchange::ReadMode::Workbook));
    return std::move(result.records);
}

std::vector<int> chosenSheets(int count, std::optional<int> sheet, const QString& path)
{
    if (sheet && *sheet > count)
        throw FileError(path, QStringLiteral("シート %1 はありません (シート数 %2)").arg(*sheet).arg(count));
    std::vector<int> numbers;
    for (int i = 1; i <= count; ++i)
        if (!sheet || *sheet == i) numbers.push_back(i);
    return numbers;
}

} // namespace cli
