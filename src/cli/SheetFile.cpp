#include "cli/SheetFile.h"

#include "cli/SheetWorkers.h"
#include "exchange/SheetFormat.h"

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

std::vector<model::SheetRecord> readSheetFile(const QString& path)
{
    if (const QFileInfo info(path); info.isFile() && info.size() == 0) throw FileError(path, QStringLiteral("ファイルが空です (0 バイト)"));
    // The window's warnings for the same failures, with the reader's reason after them.
    exchange::SheetsRead read = exchange::readingFormat(path).read(path, forEachSheet);
    switch (read.failure) {
    case exchange::ReadFailure::None:
        return std::move(read.records);
    case exchange::ReadFailure::Unreadable:
        throw FileError(path, read.message + QStringLiteral(" (") + read.cause + u')');
    case exchange::ReadFailure::TooManySheets:
        throw FileError(path, read.message + QStringLiteral(" (%1 シート)").arg(read.count));
    default:
        throw FileError(path, read.message);
    }
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
