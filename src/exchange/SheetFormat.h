// The file formats sheets are exchanged in, behind one interface: a front end asks a format for
// its dialog filter, whether it takes a file, to read a file into records and, where the format
// has a writer, to write the sheets; the failures come back with the window's texts.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "exchange/SheetReader.h"
#include "exchange/WorkbookExport.h"
#include "model/FileFailure.h"
#include "model/SheetRecord.h"

namespace exchange {

// Why a file was not taken.
enum class ReadFailure {
    None,
    Unreadable,    // the file could not be opened or read
    NoSheet,       // it holds no worksheet
    TooManySheets, // more worksheets than the window takes
    NotHeld,       // a text holds a character the sheet files cannot hold
};

// What reading a file gave: every record when it was taken, otherwise why not.
struct SheetsRead {
    ReadFailure failure = ReadFailure::None;
    int count = 0;                           // worksheets of the file
    std::vector<model::SheetRecord> records; // empty when the file was not taken
    QString message;                         // the window's warning when it was not taken
    QString cause;                           // Unreadable: the reader's own words
    std::optional<model::FileFailure> fileFailure; // Unreadable: what the file system refused, when it did

    bool taken() const { return failure == ReadFailure::None; }
    // The window's whole warning: the message, and for an unreadable file a second line naming
    // it and what went wrong.
    QString warning(const QString& path) const;
};

// The sheets of one export as a format's writer takes them.
struct SheetsToWrite {
    const model::SheetStore& store;
    QString headingLine = {};  // CSV: line 4 of every file (the headings of the sheet shown)
    GridsOfSheet gridsOf = {}; // workbook: sheet i as entering it shows it; empty: entered from its record
    std::function<void(int sheetIndex, const QString& name)> beforeSheet = {}; // progress, may be empty
    std::function<void(int sheetIndex)> afterSheet = {}; // may be empty
    // Workbook: a sheet whose view warns of a value that is not a number, as it is written.
    std::function<void(int sheetIndex, const sheetview::Notice& notice)> unsuitableSheet = {};
    // Workbook: how the worksheets are filled; at the same time only when gridsOf, beforeSheet
    // and afterSheet may run on any thread.
    ForEachWorksheet forEach = inOrder;
};

class SheetFormat {
public:
    virtual ~SheetFormat() = default;

    // The dialog filter's description and the name suffixes (lower case, without the dot).
    virtual QString description() const = 0;
    virtual QStringList suffixes() const = 0;
    // Csv: one file into the shown sheet; Workbook: every worksheet, one sheet each.
    virtual ReadMode readMode() const = 0;

    // Whether the file's name is one of this format's.
    bool supportsFile(const QString& path) const;
    // "Description (*.a)|*.a", as the window's dialogs take it.
    QString nameFilter() const;

    // Reads the file's sheets. Never throws: a file not taken comes back with why; look-alike
    // characters the sheet files lack are already replaced by the ones they hold.
    SheetsRead read(const QString& path, const ForEachWorksheet& forEach = inOrder) const;

    virtual bool hasWriter() const = 0;
    // Whether `write` takes a folder (a file per sheet) rather than a file.
    virtual bool writesFolder() const { return false; }
    // The file a write to `path` makes: a name of a format without a writer, or without a
    // suffix, is written under the workbook's suffix.
    virtual QString writtenPath(const QString& path) const { return path; }
    // Writes every sheet of the store; returns the files written, in order. Throws
    // spreadsheet::Error when a file cannot be written and UnencodableText when a CSV file
    // cannot hold a text (the files before it stay written).
    virtual QStringList write(const QString& target, const SheetsToWrite& sheets) const;
    // The window's warning when a write fails, before the line naming the file.
    virtual QString writeFailureText() const { return {}; }

protected:
    // The window's message for a file not taken (not for NotHeld, which names the character).
    virtual QString failureText(ReadFailure failure) const = 0;
};

const SheetFormat& csvFormat();
const SheetFormat& xlsFormat();  // read only: the engine writes Office Open XML
const SheetFormat& xlsxFormat();

// The format a file is read in: the one its name says, a workbook otherwise (the engine tells a
// workbook's kind by its contents).
const SheetFormat& readingFormat(const QString& path);

// One dialog filter for several formats: formats of one description share an entry, their
// patterns joined in the order given ("Excelブック (*.xls;*.xlsx)|*.xls;*.xlsx").
QString nameFilter(std::initializer_list<const SheetFormat*> formats);

} // namespace exchange
