// A Book's worksheets and cells: reading and entering values, number formats, renaming and
// deleting with shift up.
#include "spreadsheet/Book.h"

#include "spreadsheet/BookData.h"
#include "spreadsheet/Charts.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/ReferenceAdjustment.h"
#include "spreadsheet/References.h"
#include "spreadsheet/SheetNames.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/Xml.h"

#include "model/NumberText.h"

#include <algorithm>
#include <cmath>

namespace spreadsheet {

namespace {

void checkCell(int row, int column)
{
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        throw Error(QStringLiteral("Row %1, column %2 lies outside the worksheet.").arg(row).arg(column));
}

void checkRect(const CellRect& r)
{
    checkCell(r.top, r.left);
    checkCell(r.bottom, r.right);
    if (r.top > r.bottom || r.left > r.right) throw Error(QStringLiteral("The range's corners are out of order."));
}

void checkLength(const QString& text)
{
    if (text.size() > kMaxCellText) throw Error(QStringLiteral("A cell holds at most %1 characters.").arg(kMaxCellText));
}

// A cell's text as a spreadsheet reads it; a number's is written into `number`.
QStringView textOf(const Cell& c, char16_t (&number)[kNumberTextSize])
{
    switch (c.type) {
    case CellType::Empty: return {};
    case CellType::Number: {
        char latin[kNumberTextSize];
        const int n = writeNumberText(c.number, latin);
        for (int i = 0; i < n; ++i) number[i] = static_cast<unsigned char>(latin[i]);
        return QStringView(number, n);
    }
    case CellType::Text: return c.text;
    case CellType::Boolean: return c.booleanValue ? QStringView(u"TRUE") : QStringView(u"FALSE");
    case CellType::Error: return c.text;
    }
    return {};
}

} // namespace

Book::Book()
    : d(std::make_unique<BookData>())
{
}

Book::~Book() = default;

SourceFormat Book::sourceFormat() const { return d->format; }

int Book::worksheetCount() const { return static_cast<int>(d->worksheets.size()); }

QString Book::worksheetName(int index) const { return d->worksheet(index).name; }

const SheetData& Book::cells(int sheet) const { return d->worksheet(sheet).cells; }

void Book::renameWorksheet(int index, const QString& name)
{
    SheetEntry& target = d->worksheet(index);
    if (target.name == name) return;
    if (!isValidSheetName(name)) throw Error(QStringLiteral("\"%1\" is not a valid worksheet name.").arg(name));
    for (const SheetEntry& s : d->sheets)
        if (&s != &target && s.name.compare(name, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("A sheet named \"%1\" exists already.").arg(name));
    const QString old = target.name;
    Charts charts(d->package); // read before anything changes
    // A renamed sheet may change what formulas compute (texts naming sheets, for one).
    d->noteCellsChanging();
    // The workbook's sheet element, found by position.
    size_t position = 0;
    for (pugi::xml_node s = xml::child(d->workbook.document_element(), "sheets").first_child(); s; s = s.next_sibling()) {
        if (!xml::is(s, "sheet")) continue;
        if (position < d->sheets.size() && &d->sheets[position] == &target) s.attribute("name").set_value(name.toUtf8().constData());
        ++position;
    }
    target.name = name;
    // References that name the old sheet follow it.
    const FormulaEdit edit = [&](QStringView f) { return renameSheetInFormula(f, old, name); };
    for (SheetEntry& s : d->sheets)
        if (editCellFormulas(s.cells, edit)) s.modified = true;
    editDefinedNames(d->workbook.document_element(), edit);
    charts.editReferences(edit);
    charts.write();
}

void Book::deleteShiftUp(int sheet, const CellRect& rect)
{
    checkRect(rect);
    SheetEntry& target = d->worksheet(sheet);
    const QString targetName = target.name;
    Charts charts(d->package); // read before anything changes
    d->noteCellsChanging();
    target.cells.deleteShiftUp(rect);
    target.modified = true;
    for (SheetEntry& s : d->sheets) {
        if (!s.isWorksheet) continue;
        const FormulaEdit edit = [&](QStringView f) { return adjustForDeleteShiftUp(f, s.name, targetName, rect); };
        if (editCellFormulas(s.cells, edit, &rect)) s.modified = true;
    }
    // Merged areas, conditional formats, validations and links of the sheet itself.
    if (target.skeleton) shiftUpSheetMarkup(target.skeleton->document_element(), targetName, rect);
    // Defined names and chart series always name their sheet.
    const FormulaEdit qualified = [&](QStringView f) { return adjustForDeleteShiftUp(f, QStringView(), targetName, rect); };
    editDefinedNames(d->workbook.document_element(), qualified);
    charts.editReferences(qualified, [this](QStringView name) { return d->cellsByName(name); });
    charts.write();
}

QString Book::text(int sheet, int row, int column) const
{
    checkCell(row, column);
    const Cell* c = d->worksheet(sheet).cells.find(row, column);
    if (!c) return {};
    // Stored texts are shared, not copied.
    if (c->type == CellType::Text || c->type == CellType::Error) return c->text;
    char16_t number[kNumberTextSize];
    return textOf(*c, number).toString();
}

void Book::visitTexts(int sheet, const CellRect& rect, const CellTexts& each) const
{
    checkRect(rect);
    const auto& rows = d->worksheet(sheet).cells.rows();
    char16_t number[kNumberTextSize];
    // One walk through the rows and their cells, however many of them the rectangle misses.
    auto row = rows.lower_bound(rect.top);
    for (int r = rect.top; r <= rect.bottom; ++r) {
        if (row != rows.end() && row->first < r) ++row;
        const SheetData::Row* cells = row != rows.end() && row->first == r ? &row->second : nullptr;
        auto cell = cells ? std::lower_bound(cells->begin(), cells->end(), rect.left, [](const Cell& c, int column) { return c.column < column; })
                          : SheetData::Row::const_iterator();
        for (int c = rect.left; c <= rect.right; ++c) {
            const bool present = cells && cell != cells->end() && cell->column == c;
            each(r, c, present ? textOf(*cell++, number) : QStringView());
        }
    }
}

QString Book::formula(int sheet, int row, int column) const
{
    checkCell(row, column);
    const Cell* c = d->worksheet(sheet).cells.find(row, column);
    return c && c->formula ? c->formula->text : QString();
}

void Book::setTyped(int sheet, int row, int column, const QString& text)
{
    if (text.isEmpty()) {
        checkCell(row, column);
        SheetEntry& s = d->worksheet(sheet);
        Cell* c = s.cells.find(row, column);
        if (!c) return;
        d->noteCellsChanging();
        if (c->style == 0) s.cells.erase(row, column);
        else c->clearValue();
        s.modified = true;
        return;
    }
    if (const auto v = model::tryParseNumber(text)) return setNumber(sheet, row, column, *v);
    setText(sheet, row, column, text);
}

namespace {

void storeText(Cell& c, const QString& text)
{
    c.formula.reset();
    c.sharedString = -1;
    c.type = CellType::Text;
    c.text = text;
}

void storeNumber(Cell& c, double value)
{
    c.formula.reset();
    c.sharedString = -1;
    c.text.clear();
    c.type = CellType::Number;
    c.number = value;
}

} // namespace

void Book::setText(int sheet, int row, int column, const QString& text)
{
    if (text.isEmpty()) return setTyped(sheet, row, column, text);
    checkCell(row, column);
    checkLength(text);
    SheetEntry& s = d->worksheet(sheet);
    d->noteCellsChanging();
    storeText(s.cells.at(row, column), text);
    s.modified = true;
}

void Book::setNumber(int sheet, int row, int column, double value)
{
    checkCell(row, column);
    if (!std::isfinite(value)) throw Error(QStringLiteral("A cell cannot hold an infinite or undefined number."));
    SheetEntry& s = d->worksheet(sheet);
    d->noteCellsChanging();
    storeNumber(s.cells.at(row, column), value);
    s.modified = true;
}

void Book::setTypedBlock(int sheet, int top, int left, const QList<QStringList>& rows)
{
    for (qsizetype r = 0; r < rows.size(); ++r)
        if (!rows[r].isEmpty()) setTypedRow(sheet, top + static_cast<int>(r), left, left + static_cast<int>(rows[r].size()) - 1, &rows[r]);
}

void Book::setTypedRect(int sheet, const CellRect& rect, const QList<QStringList>& rows)
{
    checkRect(rect);
    for (int r = rect.top; r <= rect.bottom; ++r) {
        const qsizetype i = r - rect.top;
        setTypedRow(sheet, r, rect.left, rect.right, i < rows.size() ? &rows[i] : nullptr);
    }
}

void Book::setTypedRow(int sheet, int row, int left, int right, const QStringList* texts)
{
    checkCell(row, left);
    checkCell(row, right);
    SheetEntry& s = d->worksheet(sheet);
    SheetData::Row* cells = nullptr;
    for (int c = left; c <= right; ++c) {
        const qsizetype j = c - left;
        if (!texts || j >= texts->size() || texts->at(j).isEmpty()) {
            setTyped(sheet, row, c, QString());
            cells = nullptr; // clearing may have removed the row
            continue;
        }
        const QString& text = texts->at(j);
        const auto number = model::tryParseNumber(text);
        if (!number) checkLength(text);
        d->noteCellsChanging();
        if (!cells) {
            cells = &s.cells.rows()[row];
            cells->reserve(cells->size() + static_cast<size_t>(right - c + 1));
        }
        Cell& cell = SheetData::at(*cells, c);
        if (number) storeNumber(cell, *number);
        else storeText(cell, text);
        s.modified = true;
    }
}

QString Book::numberFormat(int sheet, int row, int column) const
{
    checkCell(row, column);
    const Cell* c = d->worksheet(sheet).cells.find(row, column);
    return d->styles.numberFormatCode(c ? c->style : 0);
}

void Book::prepareConcurrentFill()
{
    // Once cells have changed, a change of cells touches only its own worksheet.
    d->noteCellsChanging();
}

void Book::setNumberFormat(int sheet, const CellRect& rect, const QString& code)
{
    checkRect(rect);
    if (rect.area() > kMaxEditCells) throw Error(QStringLiteral("The range is too large to be formatted cell by cell."));
    if (code.isEmpty()) throw Error(QStringLiteral("A number format must not be empty."));
    SheetEntry& s = d->worksheet(sheet);
    Styles& styles = d->editableStyles();
    const int id = styles.numberFormatId(code);
    // Cells of a block mostly share one style: its formatted style is looked up once.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> last;
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (Cell& cell : SheetData::cellsOf(s.cells.rows()[r], rect.left, rect.right)) {
            if (!last || last->first != cell.style) last.emplace(cell.style, styles.withNumberFormat(cell.style, id));
            cell.style = last->second;
        }
    }
    s.modified = true;
}

QByteArray Book::part(const QString& name) const
{
    const PackagePart* p = d->package.find(name.toStdString());
    return p ? p->data : QByteArray();
}

QStringList Book::partNames() const
{
    QStringList names;
    for (const PackagePart& p : d->package.parts()) names << QString::fromStdString(p.name);
    return names;
}

} // namespace spreadsheet
