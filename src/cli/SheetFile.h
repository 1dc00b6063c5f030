// Reading the sheets of a file as the window's imports read them: a .csv file as the CSV
// import reads it into one sheet, anything else as the workbook import reads it, every
// worksheet.
#pragma once
#include "model/SheetRecord.h"

#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace cli {

// A file that cannot be read or written: the message names the file and the problem, in one line.
class FileError : public std::runtime_error {
public:
    FileError(const QString& file, const QString& problem);
    QString message() const { return QString::fromUtf8(what()); }
};

// One record per sheet read, at least one, in the format the file's name says. Throws FileError
// when the file cannot be opened or read, holds no sheet, or holds more sheets than the window
// takes, or a character the sheet files cannot hold.
std::vector<model::SheetRecord> readSheetFile(const QString& path);

// The numbers (from 1) of the sheets a command works on: the one of `--sheet`, or all of the
// `count` sheets read from `path`. Throws FileError for a sheet number past the last sheet.
std::vector<int> chosenSheets(int count, std::optional<int> sheet, const QString& path);

} // namespace cli
