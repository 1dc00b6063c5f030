#pragma once
#include "spreadsheet/CellRef.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QFile;

namespace spreadsheet {

class SheetData;
struct BookData;

// The cells a bounded read keeps: rows 1 to lastRow, columns 1 to lastColumn.
struct CellBounds {
    int lastRow = kMaxRows;
    int lastColumn = kMaxColumns;
    bool whole() const { return lastRow >= kMaxRows && lastColumn >= kMaxColumns; }
};

// The file format a workbook was read from.
enum class SourceFormat { New, OfficeOpenXml, LegacyXls, Text };

// The engine's workbook: the package of parts, the cells of its worksheets, shared strings
// and styles. Worksheets are numbered from 0 here; only worksheets count (chart sheets are kept
// but not addressable). Every failure throws spreadsheet::Error.
class Book {
public:
    ~Book();
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    // A new workbook with `sheets` empty worksheets named Sheet1, Sheet2, ...
    static std::unique_ptr<Book> createNew(int sheets);
    // Reads a workbook by its content: Office Open XML, legacy .xls or text (CSV, code page 932).
    // A file named as a workbook (.xlsx, .xlsm, .xls) that holds neither kind is refused as a
    // damaged workbook, never read as text. Errors name the file and the reason.
    static std::unique_ptr<Book> open(const QString& path);
    // Reads only the cells within `keep`, and of the file only what they need: a text file up to
    // its line lastRow; a workbook's worksheets streamed up to their row lastRow and, of the shared
    // strings, those the kept cells use. Every check applies to what is read; the rest of the
    // file is not read at all. A legacy .xls file is read whole, then cut to the bounds. A
    // workbook read in part is never written: saving it is refused.
    static std::unique_ptr<Book> open(const QString& path, const CellBounds& keep);
    // The same for bytes in memory; `name` names the worksheet of a text file.
    static std::unique_ptr<Book> fromBytes(const QByteArray& bytes, const QString& name);
    static std::unique_ptr<Book> fromOoxml(const QByteArray& bytes);
    static std::unique_ptr<Book> fromCsv(const QByteArray& bytes, const QString& sheetName, const CellBounds& keep = {});

    SourceFormat sourceFormat() const;

    // Writes the workbook as Office Open XML to exactly this path, atomically: a temporary
    // file beside it is renamed over the target only when everything was written.
    void save(const QString& path);
    // Writes the workbook into a new file under the first free name of `path` (path, name_2.ext,
    // ...), never over or through an entry that has the name. Returns the path written.
    QString saveNew(const QString& path);
    // The package as it would be saved.
    QByteArray toBytes();

    int worksheetCount() const;
    QString worksheetName(int index) const;
    void renameWorksheet(int index, const QString& name);

    // Cell texts as a spreadsheet reads them: "" empty, text as stored, numbers in their
    // shortest form (dates are day numbers), "TRUE"/"FALSE", an error's text, a formula's
    // cached result — until any cell of the workbook changes: from then on formulas have no
    // result here and are saved without one, for the reading program to compute.
    QString text(int sheet, int row, int column) const;
    // The text of every cell of the rectangle, row by row and left to right, as text() gives it
    // ("" for a cell without a value), handed over without a string of its own; a view holds until
    // the next call.
    using CellTexts = std::function<void(int row, int column, QStringView text)>;
    void visitTexts(int sheet, const CellRect& rect, const CellTexts& each) const;
    // Enters a text as if typed: a number the project's parser accepts becomes a number,
    // "" clears the value, anything else is stored as text (never as a formula).
    void setTyped(int sheet, int row, int column, const QString& text);
    void setNumber(int sheet, int row, int column, double value);
    // Stores a text exactly as given, even one that reads as a number ("" clears).
    void setText(int sheet, int row, int column, const QString& text);
    void setTypedBlock(int sheet, int top, int left, const QList<QStringList>& rows);
    // Enters a block into the rectangle as if typed, row by row from its top-left cell: texts
    // beyond the rectangle are ignored, its cells the block does not reach are cleared.
    void setTypedRect(int sheet, const CellRect& rect, const QList<QStringList>& rows);

    // Readies the workbook for its worksheets to be filled at the same time, one thread each:
    // afterwards the values and texts of different worksheets may be set concurrently. Number
    // formats change the styles all worksheets share: they are set one after the other.
    void prepareConcurrentFill();

    // The number format code of a cell ("General" when none).
    QString numberFormat(int sheet, int row, int column) const;
    // Applies a number format code to every cell of the rectangle, empty cells included.
    void setNumberFormat(int sheet, const CellRect& rect, const QString& code);

    // The formula of a cell without "=", empty when the cell holds none.
    QString formula(int sheet, int row, int column) const;

    // Deletes the rectangle, moves the cells below it up and adjusts every reference to
    // the moved cells in formulas, defined names, merged areas and chart series.
    void deleteShiftUp(int sheet, const CellRect& rect);

    const SheetData& cells(int sheet) const;

    // Layout for printing and reading (reports): column widths in characters, the top rows
    // frozen, a bold and coloured font (RGB), the print area (rectangles printed in this
    // order, each on pages of its own), rows repeated on every printed page, and A4 pages
    // scaled to the width of one page.
    void setColumnWidth(int sheet, int firstColumn, int lastColumn, double characters);
    void freezeTopRows(int sheet, int rows);
    void setFont(int sheet, const CellRect& rect, bool bold, std::uint32_t rgb);
    void setPrintArea(int sheet, const QList<CellRect>& areas);
    void setPrintTitleRows(int sheet, int firstRow, int lastRow);
    void fitToPageWidth(int sheet, bool landscape);
    // The header and footer printed on every page, in the spreadsheet's codes ("&L…&C…&R…",
    // "&P" the page number); at most 255 characters each.
    void setPageHeaderFooter(int sheet, const QString& header, const QString& footer);
    // The worksheet opens scrolled to this cell, with the cursor on it.
    void showFrom(int sheet, int row, int column);

    // Charts, numbered from 0 in the order of their parts (chart1, chart2, ...): the value axes
    // of one side fixed to a range (nullopt: chosen by the drawing program), and only every
    // interval-th category labelled.
    int chartCount() const;
    void setChartAxisBounds(int chart, bool vertical, std::optional<double> min, std::optional<double> max);
    void setChartLabelInterval(int chart, int interval);
    // The title of the axes on one side (vertical: left or right), replacing the template's text.
    void setChartAxisTitle(int chart, bool vertical, const QString& title);
    // The number format of the value axes' labels on one side ("0.000").
    void setChartAxisNumberFormat(int chart, bool vertical, const QString& code);
    // Whether series `series` (counted from 0 in the chart's order) has an entry in the legend.
    void setChartLegendEntryShown(int chart, int series, bool shown);

    // Part names and contents of the package as it stands (for inspection and tests).
    QByteArray part(const QString& name) const;
    QStringList partNames() const;

private:
    Book();
    // Enters texts as if typed into row `row` from column `left` to `right` (texts beyond the
    // list clear their cells), finding the row once.
    void setTypedRow(int sheet, int row, int left, int right, const QStringList* texts);
    static std::unique_ptr<Book> fromOoxmlFile(QFile& file, const CellBounds& keep);
    void keepOnly(const CellBounds& keep);
    std::unique_ptr<BookData> d;
    friend struct BookData;
    friend class XlsReader;
};

// Cells (and row records) one workbook may hold when read: eight times the largest workbook the
// program exchanges; a file holding more is refused before memory runs away.
inline constexpr long long kMaxCells = 8LL << 20;

// Characters a cell's text holds at most, as in every spreadsheet program; a file holding a longer
// one is refused.
inline constexpr int kMaxCellText = 32767;

// Sheets one workbook may hold, as a new workbook may.
inline constexpr int kMaxSheets = 255;

// Rectangles larger than this are refused by the editing operations (formats, block writes).
inline constexpr long long kMaxEditCells = 1LL << 22;

} // namespace spreadsheet
