// The workbook's layout edits: columns, frozen rows, fonts, print settings and the charts'
// axes. Each edits the parts' trees in place, keeping the order the schema gives their elements.
#include "spreadsheet/Book.h"

#include "spreadsheet/BookData.h"
#include "spreadsheet/Charts.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/Xml.h"

#include <cmath>
#include <initializer_list>
#include <iterator>
#include <string_view>

namespace spreadsheet {

namespace {

// The worksheet part's elements in the order the schema requires.
constexpr const char* kSheetOrder[] = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr", "sheetProtection",
    "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions", "pageMargins", "pageSetup",
    "headerFooter", "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors", "smartTags", "drawing",
    "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture", "oleObjects", "controls", "webPublishItems", "tableParts",
    "extLst"};

// The child `local` of the worksheet's root, made in its place when missing.
pugi::xml_node sheetChild(pugi::xml_node root, const char* local)
{
    if (pugi::xml_node n = xml::child(root, local)) return n;
    int rank = 0;
    while (std::string_view(kSheetOrder[rank]) != local) ++rank;
    const std::string name = xml::qualified(root, local);
    for (pugi::xml_node k = root.first_child(); k; k = k.next_sibling()) {
        if (k.type() != pugi::node_element) continue;
        for (int later = rank + 1; later < int(std::size(kSheetOrder)); ++later)
            if (xml::is(k, kSheetOrder[later])) return root.insert_child_before(name.c_str(), k);
    }
    return root.append_child(name.c_str());
}

pugi::xml_node rootOf(const SheetEntry& s)
{
    if (!s.skeleton) throw Error(QStringLiteral("The worksheet \"%1\" has no layout that can be edited.").arg(s.name));
    return s.skeleton->document_element();
}

void set(pugi::xml_node n, const char* attribute, const char* value)
{
    if (!n.attribute(attribute)) n.append_attribute(attribute);
    n.attribute(attribute) = value;
}

void set(pugi::xml_node n, const char* attribute, long long value) { set(n, attribute, std::to_string(value).c_str()); }

// The worksheet's first view, made when it has none.
pugi::xml_node sheetView(const SheetEntry& s)
{
    pugi::xml_node views = sheetChild(rootOf(s), "sheetViews");
    pugi::xml_node view = xml::child(views, "sheetView");
    if (!view) {
        view = views.append_child(xml::qualified(views, "sheetView").c_str());
        set(view, "workbookViewId", "0");
    }
    return view;
}

// 'Sheet''s name'!
QString sheetPrefix(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + QStringLiteral("'!");
}

} // namespace

void Book::setColumnWidth(int sheet, int firstColumn, int lastColumn, double characters)
{
    if (firstColumn < 1 || lastColumn > kMaxColumns || firstColumn > lastColumn)
        throw Error(QStringLiteral("The columns lie outside the worksheet."));
    if (!(characters >= 0 && characters <= 255)) throw Error(QStringLiteral("A column is 0 to 255 characters wide."));
    SheetEntry& s = d->worksheet(sheet);
    pugi::xml_node cols = sheetChild(rootOf(s), "cols");
    // Ranges already there keep what lies outside the new one.
    for (pugi::xml_node c = cols.first_child(); c;) {
        const pugi::xml_node next = c.next_sibling();
        const int min = c.attribute("min").as_int(), max = c.attribute("max").as_int();
        if (xml::is(c, "col") && min <= lastColumn && max >= firstColumn) {
            if (max > lastColumn) set(cols.insert_copy_after(c, c), "min", lastColumn + 1);
            if (min < firstColumn) set(c, "max", firstColumn - 1);
            else cols.remove_child(c);
        }
        c = next;
    }
    pugi::xml_node before;
    for (pugi::xml_node c = cols.first_child(); c && !before; c = c.next_sibling())
        if (xml::is(c, "col") && c.attribute("min").as_int() > lastColumn) before = c;
    const std::string name = xml::qualified(cols, "col");
    pugi::xml_node col = before ? cols.insert_child_before(name.c_str(), before) : cols.append_child(name.c_str());
    set(col, "min", firstColumn);
    set(col, "max", lastColumn);
    std::string width;
    appendStoredNumber(width, std::round(characters * 100) / 100);
    set(col, "width", width.c_str());
    set(col, "customWidth", "1");
    s.modified = true;
}

void Book::freezeTopRows(int sheet, int rows)
{
    if (rows < 0 || rows >= kMaxRows) throw Error(QStringLiteral("The rows to freeze lie outside the worksheet."));
    SheetEntry& s = d->worksheet(sheet);
    pugi::xml_node view = sheetView(s);
    for (pugi::xml_node k = view.first_child(); k;) {
        const pugi::xml_node next = k.next_sibling();
        if (xml::is(k, "pane") || xml::is(k, "selection")) view.remove_child(k);
        k = next;
    }
    if (rows > 0) {
        const QByteArray topLeft = QByteArray("A") + QByteArray::number(rows + 1);
        pugi::xml_node pane = view.prepend_child(xml::qualified(view, "pane").c_str());
        set(pane, "ySplit", rows);
        set(pane, "topLeftCell", topLeft.constData());
        set(pane, "activePane", "bottomLeft");
        set(pane, "state", "frozen");
        pugi::xml_node selection = view.insert_child_after(xml::qualified(view, "selection").c_str(), pane);
        set(selection, "pane", "bottomLeft");
        set(selection, "activeCell", topLeft.constData());
        set(selection, "sqref", topLeft.constData());
    }
    s.modified = true;
}

void Book::showFrom(int sheet, int row, int column)
{
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) throw Error(QStringLiteral("The cell lies outside the worksheet."));
    SheetEntry& s = d->worksheet(sheet);
    pugi::xml_node view = sheetView(s);
    const QByteArray cell = formatA1Range({row, column, row, column}).toUtf8();
    set(view, "topLeftCell", cell.constData());
    // A frozen pane would keep the rows above it in view: the view starts without one.
    for (pugi::xml_node k = view.first_child(); k;) {
        const pugi::xml_node next = k.next_sibling();
        if (xml::is(k, "pane") || xml::is(k, "selection")) view.remove_child(k);
        k = next;
    }
    pugi::xml_node selection = view.prepend_child(xml::qualified(view, "selection").c_str());
    set(selection, "activeCell", cell.constData());
    set(selection, "sqref", cell.constData());
    s.modified = true;
}

void Book::setFont(int sheet, const CellRect& rect, bool bold, std::uint32_t rgb)
{
    if (rect.top < 1 || rect.left < 1 || rect.bottom > kMaxRows || rect.right > kMaxColumns || rect.top > rect.bottom || rect.left > rect.right)
        throw Error(QStringLiteral("The range lies outside the worksheet."));
    if (rect.area() > kMaxEditCells) throw Error(QStringLiteral("The range is too large to be formatted cell by cell."));
    SheetEntry& s = d->worksheet(sheet);
    Styles& styles = d->editableStyles();
    for (int r = rect.top; r <= rect.bottom; ++r)
        for (int c = rect.left; c <= rect.right; ++c) {
            Cell& cell = s.cells.at(r, c);
            cell.style = styles.withFont(cell.style, bold, rgb);
        }
    s.modified = true;
}

namespace {

// The workbook's defined name of a built-in kind for one sheet, replaced; removed for an empty formula.
void setSheetName(pugi::xml_document& workbook, const char* name, size_t sheetPosition, const QString& formula)
{
    pugi::xml_node wb = workbook.document_element();
    pugi::xml_node names = xml::child(wb, "definedNames");
    if (!names) {
        if (formula.isEmpty()) return;
        pugi::xml_node after;
        for (const char* n : {"sheets", "functionGroups", "externalReferences"})
            if (pugi::xml_node k = xml::child(wb, n)) after = k;
        const std::string qualified = xml::qualified(wb, "definedNames");
        names = after ? wb.insert_child_after(qualified.c_str(), after) : wb.append_child(qualified.c_str());
    }
    for (pugi::xml_node n = names.first_child(); n;) {
        const pugi::xml_node next = n.next_sibling();
        if (xml::is(n, "definedName") && std::string_view(n.attribute("name").value()) == name && n.attribute("localSheetId")
            && n.attribute("localSheetId").as_ullong() == sheetPosition)
            names.remove_child(n);
        n = next;
    }
    if (formula.isEmpty()) return;
    pugi::xml_node n = names.append_child(xml::qualified(names, "definedName").c_str());
    set(n, "name", name);
    set(n, "localSheetId", static_cast<long long>(sheetPosition));
    n.text().set(formula.toUtf8().constData());
}

} // namespace

void Book::setPrintArea(int sheet, const QList<CellRect>& areas)
{
    const SheetEntry& s = d->worksheet(sheet);
    QStringList parts;
    for (const CellRect& r : areas) {
        if (r.top < 1 || r.left < 1 || r.bottom > kMaxRows || r.right > kMaxColumns || r.top > r.bottom || r.left > r.right)
            throw Error(QStringLiteral("The print area lies outside the worksheet."));
        parts << sheetPrefix(s.name) + formatA1Range(r, true);
    }
    setSheetName(d->workbook, "_xlnm.Print_Area", d->worksheets[static_cast<size_t>(sheet)], parts.join(u','));
}

void Book::setPrintTitleRows(int sheet, int firstRow, int lastRow)
{
    if (firstRow < 1 || lastRow > kMaxRows || firstRow > lastRow) throw Error(QStringLiteral("The title rows lie outside the worksheet."));
    const SheetEntry& s = d->worksheet(sheet);
    const QString rows = sheetPrefix(s.name) + QStringLiteral("$%1:$%2").arg(firstRow).arg(lastRow);
    setSheetName(d->workbook, "_xlnm.Print_Titles", d->worksheets[static_cast<size_t>(sheet)], rows);
}

void Book::fitToPageWidth(int sheet, bool landscape)
{
    SheetEntry& s = d->worksheet(sheet);
    const pugi::xml_node root = rootOf(s);
    pugi::xml_node properties = sheetChild(root, "sheetPr");
    pugi::xml_node fit = xml::child(properties, "pageSetUpPr");
    if (!fit) {
        // After the tab colour and outline settings, before nothing else.
        pugi::xml_node after;
        for (const char* n : {"tabColor", "outlinePr"})
            if (pugi::xml_node k = xml::child(properties, n)) after = k;
        const std::string name = xml::qualified(properties, "pageSetUpPr");
        fit = after ? properties.insert_child_after(name.c_str(), after) : properties.prepend_child(name.c_str());
    }
    set(fit, "fitToPage", "1");
    pugi::xml_node margins = sheetChild(root, "pageMargins");
    if (!margins.attribute("left")) {
        for (const auto& [a, v] : {std::pair{"left", "0.5"}, {"right", "0.5"}, {"top", "0.6"}, {"bottom", "0.6"}, {"header", "0.3"}, {"footer", "0.3"}})
            set(margins, a, v);
    }
    pugi::xml_node setup = sheetChild(root, "pageSetup");
    set(setup, "paperSize", "9");
    set(setup, "orientation", landscape ? "landscape" : "portrait");
    set(setup, "fitToWidth", "1");
    set(setup, "fitToHeight", "0");
    s.modified = true;
}

void Book::setPageHeaderFooter(int sheet, const QString& header, const QString& footer)
{
    if (header.size() > 255 || footer.size() > 255) throw Error(QStringLiteral("A header or footer holds 255 characters at most."));
    SheetEntry& s = d->worksheet(sheet);
    pugi::xml_node hf = sheetChild(rootOf(s), "headerFooter");
    for (pugi::xml_node k = hf.first_child(); k;) {
        const pugi::xml_node next = k.next_sibling();
        hf.remove_child(k);
        k = next;
    }
    for (const char* a : {"differentOddEven", "differentFirst"})
        if (hf.attribute(a)) hf.remove_attribute(a);
    for (const auto& [local, text] : {std::pair{"oddHeader", &header}, {"oddFooter", &footer}})
        if (!text->isEmpty()) hf.append_child(xml::qualified(hf, local).c_str()).text().set(text->toUtf8().constData());
    s.modified = true;
}

int Book::chartCount() const
{
    Charts charts(d->package);
    return charts.count();
}

void Book::setChartAxisBounds(int chart, bool vertical, std::optional<double> min, std::optional<double> max)
{
    Charts charts(d->package);
    charts.setAxisBounds(chart, vertical, min, max);
    charts.write();
}

void Book::setChartLabelInterval(int chart, int interval)
{
    Charts charts(d->package);
    charts.setLabelInterval(chart, interval);
    charts.write();
}

void Book::setChartAxisTitle(int chart, bool vertical, const QString& title)
{
    Charts charts(d->package);
    charts.setAxisTitle(chart, vertical, title);
    charts.write();
}

void Book::setChartAxisNumberFormat(int chart, bool vertical, const QString& code)
{
    Charts charts(d->package);
    charts.setAxisNumberFormat(chart, vertical, code);
    charts.write();
}

void Book::setChartLegendEntryShown(int chart, int series, bool shown)
{
    Charts charts(d->package);
    charts.setLegendEntryShown(chart, series, shown);
    charts.write();
}

} // namespace spreadsheet
