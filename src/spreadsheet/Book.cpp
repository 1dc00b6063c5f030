#include "spreadsheet/Book.h"

#include "spreadsheet/BookData.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/FileKinds.h"
#include "spreadsheet/NumberFormats.h"
#include "spreadsheet/References.h"
#include "spreadsheet/SheetNames.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/XlsReader.h"
#include "spreadsheet/Zip.h"
#include "spreadsheet/Xml.h"

#include "model/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QBuffer>
#include <QSet>

#include <cstring>

namespace spreadsheet {

namespace {

constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kChartType = "application/vnd.openxmlformats-officedocument.drawingml.chart+xml";
constexpr long long kMaxFileSize = 512LL << 20;
constexpr int kMaxTextLength = 32767;

QByteArray defaultStyles()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
        "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
        "</styleSheet>");
}

// Iterative walk over every element below `root` (charts can be deeply nested; no recursion).
template <class F>
void forEachElement(pugi::xml_node root, F&& f)
{
    pugi::xml_node n = root.first_child();
    while (n) {
        if (n.type() == pugi::node_element) f(n);
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && n != root && !n.next_sibling()) n = n.parent();
        if (!n || n == root) break;
        n = n.next_sibling();
    }
}

void checkCell(int row, int column)
{
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        throw Error(QStringLiteral("Row %1, column %2 lies outside the worksheet.").arg(row).arg(column));
}

// Reading may run out of memory before any bound is reached; that is reported like any other
// fault of the file, never left to abort the program.
template <class Read>
auto guardMemory(Read&& read) -> decltype(read())
{
    try {
        return read();
    } catch (const std::bad_alloc&) {
        throw Error(QStringLiteral("There is not enough memory to read the file."));
    } catch (const std::length_error&) {
        throw Error(QStringLiteral("There is not enough memory to read the file."));
    }
}

void checkRect(const CellRect& r)
{
    checkCell(r.top, r.left);
    checkCell(r.bottom, r.right);
    if (r.top > r.bottom || r.left > r.right) throw Error(QStringLiteral("The range's corners are out of order."));
}

} // namespace

Book::Book()
    : d(std::make_unique<BookData>())
{
}

Book::~Book() = default;

std::unique_ptr<Book> Book::createNew(int sheets)
{
    if (sheets < 1 || sheets > kMaxSheets) throw Error(QStringLiteral("A new workbook holds 1 to %1 worksheets, not %2.").arg(kMaxSheets).arg(sheets));
    std::unique_ptr<Book> book(new Book);
    BookData& d = *book->d;
    QByteArray types = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                       "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    QByteArray wb = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook xmlns=\"") + kMainNs
                    + "\" xmlns:r=\"" + kRelNs + "\"><bookViews><workbookView/></bookViews><sheets>";
    QByteArray wbRels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<PackagePart> sheetParts;
    for (int i = 1; i <= sheets; ++i) {
        const QByteArray n = QByteArray::number(i);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n
                 + ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        wb += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        wbRels += "<Relationship Id=\"rId" + n
                  + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet" + n
                  + ".xml\"/>";
        sheetParts.push_back({"xl/worksheets/sheet" + std::to_string(i) + ".xml",
                              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"") + kMainNs
                                  + "\" xmlns:r=\"" + kRelNs + "\"><dimension ref=\"A1\"/><sheetData/></worksheet>"});
    }
    types += "</Types>";
    wb += "</sheets><calcPr fullCalcOnLoad=\"1\"/></workbook>";
    wbRels += "<Relationship Id=\"rId" + QByteArray::number(sheets + 1)
              + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/></Relationships>";

    d.parts.push_back({"[Content_Types].xml", types});
    d.parts.push_back({"_rels/.rels",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                       "Target=\"xl/workbook.xml\"/></Relationships>"});
    d.parts.push_back({"xl/workbook.xml", wb});
    d.parts.push_back({"xl/_rels/workbook.xml.rels", wbRels});
    d.parts.push_back({"xl/styles.xml", defaultStyles()});
    for (PackagePart& p : sheetParts) d.parts.push_back(std::move(p));

    // Reuse the reader on the parts just made, so a new workbook is an ordinary one.
    std::vector<PackagePart> parts = std::move(d.parts);
    d.parts.clear();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ZipWriter zip(buffer, 1);
    for (const PackagePart& p : parts) zip.add(p.name, p.data);
    zip.finish();
    d.loadOoxml(buffer.data());
    for (SheetEntry& s : d.sheets) s.modified = true;
    d.format = SourceFormat::New;
    return book;
}

std::unique_ptr<Book> Book::fromOoxml(const QByteArray& bytes)
{
    return guardMemory([&] {
        std::unique_ptr<Book> book(new Book);
        book->d->loadOoxml(bytes);
        book->d->format = SourceFormat::OfficeOpenXml;
        return book;
    });
}

std::unique_ptr<Book> Book::fromCsv(const QByteArray& bytes, const QString& sheetName)
{
    return guardMemory([&] {
        auto book = createNew(1);
        const QString name = sanitizedSheetName(sheetName);
        book->renameWorksheet(0, name.isEmpty() ? QStringLiteral("Sheet1") : name);
        SheetEntry& s = book->d->worksheet(0);
        // Fields go straight into cells, one row at a time; each row takes exactly its cells' room.
        SheetData::Row row;
        int rowNumber = 0;
        auto flush = [&] {
            if (row.empty()) return;
            s.cells.rows().emplace(rowNumber, SheetData::Row(std::make_move_iterator(row.begin()), std::make_move_iterator(row.end())));
            row.clear();
        };
        readCsvFields(bytes, [&](int r, int c, const QString& text) {
            if (text.isEmpty()) return;
            if (r + 1 != rowNumber) {
                flush();
                rowNumber = r + 1;
            }
            Cell& cell = row.emplace_back();
            cell.column = c + 1;
            cell.type = CellType::Text;
            cell.text = text;
        });
        flush();
        s.modified = true;
        book->d->format = SourceFormat::Text;
        return book;
    });
}

std::unique_ptr<Book> Book::fromBytes(const QByteArray& bytes, const QString& name)
{
    const ContentKind kind = contentKind(bytes);
    if (kind == ContentKind::OfficeOpenXml) return fromOoxml(bytes);
    if (kind == ContentKind::LegacyWorkbook) {
        return guardMemory([&] {
            std::unique_ptr<Book> book = XlsReader::read(bytes);
            book->d->format = SourceFormat::LegacyXls;
            return book;
        });
    }
    return fromCsv(bytes, name);
}

std::unique_ptr<Book> Book::open(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw Error(QStringLiteral("The file %1 cannot be opened: %2").arg(shown, file.errorString()));
    if (file.size() > kMaxFileSize) throw Error(QStringLiteral("The file %1 is larger than %2 bytes.").arg(shown).arg(kMaxFileSize));
    try {
        const QByteArray head = file.peek(4096);
        const ContentKind kind = contentKind(head);
        // A workbook's name promises a workbook: anything else is a damaged one, never text.
        if (kind == ContentKind::Other && namedAsWorkbook(path))
            throw Error(QStringLiteral("The workbook is damaged or is not a workbook at all: %1.").arg(notAWorkbookReason(head)));
        if (kind == ContentKind::LegacyWorkbook && file.size() > kMaxXlsFileSize)
            throw Error(QStringLiteral("The legacy workbook is larger than %1 bytes.").arg(kMaxXlsFileSize));
        return guardMemory([&] {
            const QByteArray bytes = file.read(file.size() + 1); // the size was checked above
            if (bytes.size() > kMaxFileSize) throw Error(QStringLiteral("The file is larger than %1 bytes.").arg(kMaxFileSize));
            return fromBytes(bytes, QFileInfo(path).completeBaseName());
        });
    } catch (const Error& e) {
        throw Error(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), e.message()));
    }
}

SourceFormat Book::sourceFormat() const { return d->format; }

int Book::worksheetCount() const { return static_cast<int>(d->worksheets.size()); }

SheetEntry& BookData::worksheet(int index)
{
    if (index < 0 || index >= static_cast<int>(worksheets.size()))
        throw Error(QStringLiteral("The workbook has no worksheet %1 (it has %2).").arg(index + 1).arg(worksheets.size()));
    return sheets[worksheets[static_cast<size_t>(index)]];
}

const SheetEntry& BookData::worksheet(int index) const { return const_cast<BookData*>(this)->worksheet(index); }

void BookData::noteCellsChanging()
{
    if (cellsChanged) return;
    cellsChanged = true;
    for (SheetEntry& s : sheets) {
        if (!s.isWorksheet) continue;
        for (auto& [r, row] : s.cells.rows())
            for (Cell& c : row)
                if (c.formula && c.type != CellType::Empty) {
                    c.type = CellType::Empty;
                    c.text.clear();
                    c.sharedString = -1;
                    s.modified = true;
                }
    }
}

QString Book::worksheetName(int index) const { return d->worksheet(index).name; }

void Book::renameWorksheet(int index, const QString& name)
{
    SheetEntry& target = d->worksheet(index);
    if (target.name == name) return;
    if (!isValidSheetName(name)) throw Error(QStringLiteral("\"%1\" is not a valid worksheet name.").arg(name));
    for (const SheetEntry& s : d->sheets)
        if (&s != &target && s.name.compare(name, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("A sheet named \"%1\" exists already.").arg(name));
    const QString old = target.name;
    // Every chart is read before anything changes, so a part that cannot be read leaves the book as it was.
    auto charts = d->chartDocuments();
    // A renamed sheet may change what formulas compute (texts naming sheets, for one).
    d->noteCellsChanging();
    // The workbook's sheet element, found by position.
    const pugi::xml_node list = xml::child(d->workbook.document_element(), "sheets");
    size_t position = 0;
    for (pugi::xml_node s = list.first_child(); s; s = s.next_sibling()) {
        if (!xml::is(s, "sheet")) continue;
        if (position < d->sheets.size() && &d->sheets[position] == &target) s.attribute("name").set_value(name.toUtf8().constData());
        ++position;
    }
    target.name = name;
    // References that name the old sheet follow it.
    for (SheetEntry& s : d->sheets) {
        for (auto& [r, row] : s.cells.rows())
            for (Cell& c : row) {
                if (!c.formula) continue;
                if (auto t = renameSheetInFormula(c.formula->text, old, name)) {
                    auto f = new Formula(*c.formula);
                    f->text = *t;
                    c.formula.reset(f);
                    s.modified = true;
                }
            }
    }
    const pugi::xml_node names = xml::child(d->workbook.document_element(), "definedNames");
    for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling())
        if (auto t = renameSheetInFormula(QString::fromUtf8(n.child_value()), old, name))
            n.text().set(t->toUtf8().constData());
    for (auto& [part, chart] : charts) {
        bool changed = false;
        forEachElement(*chart, [&](pugi::xml_node n) {
            if (!xml::is(n, "f")) return;
            if (auto t = renameSheetInFormula(QString::fromUtf8(n.child_value()), old, name)) {
                n.text().set(t->toUtf8().constData());
                changed = true;
            }
        });
        if (changed) part->data = xml::serialize(*chart);
    }
}

const SheetData& Book::cells(int sheet) const { return d->worksheet(sheet).cells; }

QString Book::text(int sheet, int row, int column) const
{
    checkCell(row, column);
    const Cell* c = d->worksheet(sheet).cells.find(row, column);
    if (!c) return {};
    switch (c->type) {
    case CellType::Empty: return {};
    case CellType::Number: return numberText(c->number);
    case CellType::Text: return c->text;
    case CellType::Boolean: return c->booleanValue ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellType::Error: return c->text;
    }
    return {};
}

QString Book::formula(int sheet, int row, int column) const
{
    checkCell(row, column);
    const Cell* c = d->worksheet(sheet).cells.find(row, column);
    return c && c->formula ? c->formula->text : QString();
}

void Book::setTyped(int sheet, int row, int column, const QString& text)
{
    checkCell(row, column);
    SheetEntry& s = d->worksheet(sheet);
    if (text.isEmpty()) {
        Cell* c = s.cells.find(row, column);
        if (!c) return;
        d->noteCellsChanging();
        if (c->style == 0) s.cells.erase(row, column);
        else c->clearValue();
        s.modified = true;
        return;
    }
    if (text.size() > kMaxTextLength) throw Error(QStringLiteral("A cell holds at most %1 characters.").arg(kMaxTextLength));
    d->noteCellsChanging();
    Cell& c = s.cells.at(row, column);
    c.formula.reset();
    c.sharedString = -1;
    if (const auto v = model::tryParseNumber(text)) {
        c.type = CellType::Number;
        c.number = *v;
        c.text.clear();
    } else {
        c.type = CellType::Text;
        c.text = text;
    }
    s.modified = true;
}

void Book::setText(int sheet, int row, int column, const QString& text)
{
    if (text.isEmpty()) return setTyped(sheet, row, column, text);
    checkCell(row, column);
    if (text.size() > kMaxTextLength) throw Error(QStringLiteral("A cell holds at most %1 characters.").arg(kMaxTextLength));
    SheetEntry& s = d->worksheet(sheet);
    d->noteCellsChanging();
    Cell& c = s.cells.at(row, column);
    c.formula.reset();
    c.sharedString = -1;
    c.type = CellType::Text;
    c.text = text;
    s.modified = true;
}

void Book::setNumber(int sheet, int row, int column, double value)
{
    checkCell(row, column);
    if (!std::isfinite(value)) throw Error(QStringLiteral("A cell cannot hold an infinite or undefined number."));
    SheetEntry& s = d->worksheet(sheet);
    d->noteCellsChanging();
    Cell& c = s.cells.at(row, column);
    c.formula.reset();
    c.sharedString = -1;
    c.text.clear();
    c.type = CellType::Number;
    c.number = value;
    s.modified = true;
}

void Book::setTypedBlock(int sheet, int top, int left, const QList<QStringList>& rows)
{
    for (qsizetype r = 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < rows[r].size(); ++c)
            setTyped(sheet, top + static_cast<int>(r), left + static_cast<int>(c), rows[r][c]);
}

// ---- number formats ----

void BookData::ensureStyles()
{
    if (!stylesPart.empty()) return;
    stylesPart = findPart(folderOf(workbookPart) + "styles.xml") ? folderOf(workbookPart) + "quorvaneStyles.xml"
                                                                  : folderOf(workbookPart) + "styles.xml";
    setPart(stylesPart, defaultStyles());
    ParseBudget fresh;
    parseTree(styles, findPart(stylesPart)->data, stylesPart, fresh);
    cellFormatCount = 1;
    addRelationship("http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles",
                    stylesPart.substr(folderOf(workbookPart).size()));
    addOverride(stylesPart, "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
}

int BookData::numberFormatId(const QString& code)
{
    if (code == QStringLiteral("G/標準")) return 0; // the Japanese name of the General format
    if (const int id = builtinNumberFormatId(code); id >= 0) return id;
    ensureStyles();
    const QByteArray utf8 = code.toUtf8();
    pugi::xml_node root = styles.document_element();
    pugi::xml_node fmts = xml::child(root, "numFmts");
    int maxId = 163;
    for (pugi::xml_node f = fmts.first_child(); f; f = f.next_sibling()) {
        if (!xml::is(f, "numFmt")) continue;
        const int id = f.attribute("numFmtId").as_int();
        if (utf8 == f.attribute("formatCode").value()) return id;
        maxId = std::max(maxId, id);
    }
    if (!fmts) {
        const std::string prefix = std::string(root.name()).substr(0, std::string(root.name()).size() - std::strlen(xml::localName(root)));
        fmts = root.prepend_child((prefix + "numFmts").c_str());
    }
    std::string name = std::string(fmts.name()).substr(0, std::string(fmts.name()).size() - 7) + "numFmt";
    pugi::xml_node f = fmts.append_child(name.c_str());
    f.append_attribute("numFmtId") = maxId + 1;
    f.append_attribute("formatCode") = utf8.constData();
    int count = 0;
    for (pugi::xml_node k = fmts.first_child(); k; k = k.next_sibling())
        if (xml::is(k, "numFmt")) ++count;
    if (!fmts.attribute("count")) fmts.append_attribute("count");
    fmts.attribute("count") = count;
    stylesDirty = true;
    return maxId + 1;
}

std::uint32_t BookData::styleWithFormat(std::uint32_t style, int formatId)
{
    const auto key = std::make_pair(style, formatId);
    if (const auto it = formattedStyles.find(key); it != formattedStyles.end()) return it->second;
    ensureStyles();
    pugi::xml_node root = styles.document_element();
    pugi::xml_node xfs = xml::child(root, "cellXfs");
    if (!xfs || cellFormatCount == 0) {
        // A styles part without cell formats: give it the default one.
        if (!xfs) {
            const std::string rn = root.name();
            xfs = root.append_child((rn.substr(0, rn.size() - std::strlen(xml::localName(root))) + "cellXfs").c_str());
        }
        pugi::xml_node x = xfs.append_child((std::string(xfs.name()).substr(0, std::string(xfs.name()).size() - 7) + "xf").c_str());
        for (const char* a : {"numFmtId", "fontId", "fillId", "borderId", "xfId"}) x.append_attribute(a) = 0;
        cellFormatCount = 1;
    }
    pugi::xml_node source;
    std::uint32_t i = 0;
    for (pugi::xml_node x = xfs.first_child(); x; x = x.next_sibling()) {
        if (!xml::is(x, "xf")) continue;
        if (i++ == style) {
            source = x;
            break;
        }
    }
    if (!source) throw Error(QStringLiteral("The workbook has no cell format %1.").arg(style));
    std::uint32_t result = style;
    if (source.attribute("numFmtId").as_int() != formatId) {
        pugi::xml_node copy = xfs.append_copy(source);
        if (!copy.attribute("numFmtId")) copy.append_attribute("numFmtId");
        copy.attribute("numFmtId") = formatId;
        if (!copy.attribute("applyNumberFormat")) copy.append_attribute("applyNumberFormat");
        copy.attribute("applyNumberFormat") = 1;
        result = cellFormatCount++;
        if (!xfs.attribute("count")) xfs.append_attribute("count");
        xfs.attribute("count") = cellFormatCount;
        stylesDirty = true;
    }
    formattedStyles.emplace(key, result);
    return result;
}

QString BookData::numberFormatCode(std::uint32_t style) const
{
    if (stylesPart.empty()) return QStringLiteral("General");
    const pugi::xml_node root = styles.document_element();
    std::uint32_t i = 0;
    int id = 0;
    for (pugi::xml_node x = xml::child(root, "cellXfs").first_child(); x; x = x.next_sibling()) {
        if (!xml::is(x, "xf")) continue;
        if (i++ == style) {
            id = x.attribute("numFmtId").as_int();
            break;
        }
    }
    if (const char* b = builtinNumberFormat(id)) return QString::fromLatin1(b);
    for (pugi::xml_node f = xml::child(root, "numFmts").first_child(); f; f = f.next_sibling())
        if (f.attribute("numFmtId").as_int() == id) return QString::fromUtf8(f.attribute("formatCode").value());
    return QStringLiteral("General");
}

QString Book::numberFormat(int sheet, int row, int column) const
{
    checkCell(row, column);
    const Cell* c = d->worksheet(sheet).cells.find(row, column);
    return d->numberFormatCode(c ? c->style : 0);
}

void Book::setNumberFormat(int sheet, const CellRect& rect, const QString& code)
{
    checkRect(rect);
    if (rect.area() > kMaxEditCells) throw Error(QStringLiteral("The range is too large to be formatted cell by cell."));
    if (code.isEmpty()) throw Error(QStringLiteral("A number format must not be empty."));
    SheetEntry& s = d->worksheet(sheet);
    const int id = d->numberFormatId(code);
    for (int r = rect.top; r <= rect.bottom; ++r)
        for (int c = rect.left; c <= rect.right; ++c) {
            Cell& cell = s.cells.at(r, c);
            cell.style = d->styleWithFormat(cell.style, id);
        }
    s.modified = true;
}

// ---- delete with shift up ----

namespace {

constexpr long long kMaxCachedPoints = 65536;

// Rebuilds a chart series' cached points from the cells its reference now covers.
void refreshChartCache(pugi::xml_node f, const BookData& d)
{
    const pugi::xml_node holder = f.parent();
    pugi::xml_node cache = xml::child(holder, "numCache");
    const bool numeric = static_cast<bool>(cache);
    if (!cache) cache = xml::child(holder, "strCache");
    if (!cache) return;
    const std::string full = cache.name();
    const std::string prefix = full.substr(0, full.size() - std::strlen(xml::localName(cache)));
    for (pugi::xml_node k = cache.first_child(); k;) {
        const pugi::xml_node next = k.next_sibling();
        if (xml::is(k, "ptCount") || xml::is(k, "pt")) cache.remove_child(k);
        k = next;
    }
    const auto refs = findReferences(QString::fromUtf8(f.child_value()));
    const SheetEntry* sheet = nullptr;
    if (refs.size() == 1 && refs[0].qualified && !refs[0].external)
        for (size_t w : d.worksheets)
            if (d.sheets[w].name.compare(refs[0].sheet, Qt::CaseInsensitive) == 0) sheet = &d.sheets[w];
    // A series too long to cache is left without points; the opening program reads the cells.
    const bool usable = sheet && (refs[0].kind == FormulaReference::Kind::Cell || refs[0].kind == FormulaReference::Kind::Area)
                        && (refs[0].top == refs[0].bottom || refs[0].left == refs[0].right) && refs[0].rect().area() <= kMaxCachedPoints;
    // The point count goes after the format code, or first when the cache has none.
    const pugi::xml_node formatCode = xml::child(cache, "formatCode");
    pugi::xml_node count = formatCode ? cache.insert_child_after((prefix + "ptCount").c_str(), formatCode)
                                      : cache.prepend_child((prefix + "ptCount").c_str());
    if (!usable) {
        count.append_attribute("val") = 0;
        return;
    }
    const CellRect r = refs[0].rect();
    const int n = static_cast<int>(r.area());
    count.append_attribute("val") = n;
    pugi::xml_node last = count;
    for (int i = 0; i < n; ++i) {
        const int row = r.top == r.bottom ? r.top : r.top + i;
        const int col = r.top == r.bottom ? r.left + i : r.left;
        const Cell* c = sheet->cells.find(row, col);
        if (!c || c->type == CellType::Empty) continue;
        std::string value;
        if (c->type == CellType::Number) appendStoredNumber(value, c->number);
        else if (numeric) continue;
        else value = (c->type == CellType::Boolean ? QString(c->booleanValue ? "TRUE" : "FALSE") : c->text).toStdString();
        pugi::xml_node pt = cache.insert_child_after((prefix + "pt").c_str(), last);
        pt.append_attribute("idx") = i;
        pt.append_child((prefix + "v").c_str()).text().set(value.c_str());
        last = pt;
    }
}

// A space-separated list of areas ("A1:B2 D4") after the delete; an empty text when none is left.
QString shiftUpAreaList(const char* list, const CellRect& deleted)
{
    QStringList kept;
    for (const QString& item : QString::fromUtf8(list).split(u' ', Qt::SkipEmptyParts)) {
        const auto area = parseA1Range(item);
        if (!area) {
            kept << item;
            continue;
        }
        if (const auto moved = shiftUpArea(*area, deleted)) kept << formatA1Range(*moved);
    }
    return kept.join(u' ');
}

// Removes the children of `container` named `local` for which `drop` says so, then fixes its count.
template <class Drop>
void pruneChildren(pugi::xml_node container, const char* local, Drop&& drop)
{
    int n = 0;
    for (pugi::xml_node c = container.first_child(); c;) {
        const pugi::xml_node next = c.next_sibling();
        if (xml::is(c, local)) {
            if (drop(c)) container.remove_child(c);
            else ++n;
        }
        c = next;
    }
    if (container.attribute("count")) container.attribute("count") = n;
}

void adjustFormulaText(pugi::xml_node node, const QString& sheetName, const CellRect& deleted)
{
    if (auto t = adjustForDeleteShiftUp(QString::fromUtf8(node.child_value()), sheetName, sheetName, deleted))
        node.text().set(t->toUtf8().constData());
}

void adjustSheetMarkup(pugi::xml_node root, const QString& sheetName, const CellRect& deleted)
{
    for (pugi::xml_node child = root.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        bool empty = false;
        if (xml::is(child, "mergeCells")) {
            pruneChildren(child, "mergeCell", [&](pugi::xml_node m) {
                const auto area = parseA1Range(QString::fromUtf8(m.attribute("ref").value()));
                if (!area) return false;
                const auto moved = shiftUpArea(*area, deleted);
                if (!moved || moved->area() < 2) return true;
                m.attribute("ref").set_value(formatA1Range(*moved).toUtf8().constData());
                return false;
            });
            empty = !xml::child(child, "mergeCell");
        } else if (xml::is(child, "conditionalFormatting")) {
            const QString areas = shiftUpAreaList(child.attribute("sqref").value(), deleted);
            child.attribute("sqref").set_value(areas.toUtf8().constData());
            for (pugi::xml_node rule = child.first_child(); rule; rule = rule.next_sibling())
                for (pugi::xml_node f = rule.first_child(); f; f = f.next_sibling())
                    if (xml::is(f, "formula")) adjustFormulaText(f, sheetName, deleted);
            empty = areas.isEmpty();
        } else if (xml::is(child, "dataValidations")) {
            pruneChildren(child, "dataValidation", [&](pugi::xml_node v) {
                const QString areas = shiftUpAreaList(v.attribute("sqref").value(), deleted);
                v.attribute("sqref").set_value(areas.toUtf8().constData());
                for (pugi::xml_node f = v.first_child(); f; f = f.next_sibling())
                    if (xml::is(f, "formula1") || xml::is(f, "formula2")) adjustFormulaText(f, sheetName, deleted);
                return areas.isEmpty();
            });
            empty = !xml::child(child, "dataValidation");
        } else if (xml::is(child, "hyperlinks")) {
            pruneChildren(child, "hyperlink", [&](pugi::xml_node h) {
                const QString areas = shiftUpAreaList(h.attribute("ref").value(), deleted);
                h.attribute("ref").set_value(areas.toUtf8().constData());
                return areas.isEmpty();
            });
            empty = !xml::child(child, "hyperlink");
        }
        if (empty) root.remove_child(child);
        child = next;
    }
}

} // namespace

void Book::deleteShiftUp(int sheet, const CellRect& rect)
{
    checkRect(rect);
    SheetEntry& target = d->worksheet(sheet);
    const QString targetName = target.name;
    // Every chart is read before anything changes, so a part that cannot be read leaves the book as it was.
    auto charts = d->chartDocuments();
    d->noteCellsChanging();
    target.cells.deleteShiftUp(rect);
    target.modified = true;

    for (SheetEntry& s : d->sheets) {
        if (!s.isWorksheet) continue;
        for (auto& [r, row] : s.cells.rows())
            for (Cell& c : row) {
                if (!c.formula) continue;
                if (auto t = adjustForDeleteShiftUp(c.formula->text, s.name, targetName, rect)) {
                    auto f = new Formula(*c.formula);
                    f->text = *t;
                    // An array formula's own area moves with it.
                    for (auto& [name, value] : f->attributes)
                        if (name == "ref")
                            if (auto area = parseA1Range(QString::fromStdString(value)))
                                if (auto moved = shiftUpArea(*area, rect)) value = formatA1Range(*moved).toStdString();
                    c.formula.reset(f);
                    s.modified = true;
                }
            }
    }

    // Merged areas, conditional formats, validations and links of the sheet itself.
    if (target.skeleton) adjustSheetMarkup(target.skeleton->document_element(), targetName, rect);

    const pugi::xml_node names = xml::child(d->workbook.document_element(), "definedNames");
    for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling())
        if (auto t = adjustForDeleteShiftUp(QString::fromUtf8(n.child_value()), QString(), targetName, rect))
            n.text().set(t->toUtf8().constData());

    for (auto& [part, chart] : charts) {
        bool changed = false;
        forEachElement(*chart, [&](pugi::xml_node n) {
            if (!xml::is(n, "f")) return;
            if (auto t = adjustForDeleteShiftUp(QString::fromUtf8(n.child_value()), QString(), targetName, rect)) {
                n.text().set(t->toUtf8().constData());
                refreshChartCache(n, *d);
                changed = true;
            }
        });
        if (changed) part->data = xml::serialize(*chart);
    }
}

std::vector<std::pair<PackagePart*, std::unique_ptr<pugi::xml_document>>> BookData::chartDocuments()
{
    std::vector<std::pair<PackagePart*, std::unique_ptr<pugi::xml_document>>> charts;
    // Chart parts are named by content type overrides; one pass over them, not one per part.
    QSet<QString> chartNames;
    for (pugi::xml_node o = contentTypes.document_element().first_child(); o; o = o.next_sibling())
        if (xml::is(o, "Override") && !std::strcmp(o.attribute("ContentType").value(), kChartType))
            chartNames.insert(QString::fromUtf8(o.attribute("PartName").value()).toLower());
    if (chartNames.isEmpty()) return charts;
    ParseBudget chartBudget; // all charts are held at once
    for (PackagePart& p : parts) {
        if (!chartNames.contains(QString::fromStdString("/" + p.name).toLower())) continue;
        auto doc = std::make_unique<pugi::xml_document>();
        parseTree(*doc, p.data, p.name, chartBudget);
        charts.emplace_back(&p, std::move(doc));
    }
    return charts;
}

// ---- package inspection ----

QByteArray Book::part(const QString& name) const
{
    const PackagePart* p = d->findPart(name.toStdString());
    return p ? p->data : QByteArray();
}

QStringList Book::partNames() const
{
    QStringList names;
    for (const PackagePart& p : d->parts) names << QString::fromStdString(p.name);
    return names;
}

} // namespace spreadsheet
