// Reading an Office Open XML package into a Book.
#include "spreadsheet/BookData.h"
#include "spreadsheet/DateSerial.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/NumberFormats.h"
#include "spreadsheet/References.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/XmlPull.h"
#include "spreadsheet/Zip.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace spreadsheet {

std::string folderOf(const std::string& partName)
{
    const auto slash = partName.rfind('/');
    return slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
}

std::string relsPartOf(const std::string& partName)
{
    const auto slash = partName.rfind('/');
    if (slash == std::string::npos) return "_rels/" + partName + ".rels";
    return partName.substr(0, slash + 1) + "_rels/" + partName.substr(slash + 1) + ".rels";
}

std::string resolveTarget(const std::string& sourcePart, const std::string& target)
{
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folderOf(sourcePart) + target;
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const std::string seg = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (seg == "..") {
            if (segments.empty()) return {};
            segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string out;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i) out += '/';
        out += segments[i];
    }
    return out;
}

namespace {

bool endsWith(const char* s, const char* suffix)
{
    const size_t a = std::strlen(s), b = std::strlen(suffix);
    return a >= b && std::strcmp(s + a - b, suffix) == 0;
}

std::optional<std::uint64_t> parseUnsigned(const char* s, std::uint64_t max)
{
    std::uint64_t v = 0;
    const char* end = s + std::strlen(s);
    const auto [p, ec] = std::from_chars(s, end, v);
    if (ec != std::errc() || p != end || p == s || v > max) return std::nullopt;
    return v;
}

QString partLabel(const std::string& name) { return QString::fromStdString(name); }

// "B12" or "$B$12" as bytes; nullopt outside the grid.
std::optional<CellPos> parseCellAscii(const char* s)
{
    int column = 0, letters = 0;
    if (*s == '$') ++s;
    for (; (*s >= 'A' && *s <= 'Z') || (*s >= 'a' && *s <= 'z'); ++s) {
        if (++letters > 3) return std::nullopt;
        column = column * 26 + ((*s | 0x20) - 'a' + 1);
    }
    if (letters == 0 || column > kMaxColumns) return std::nullopt;
    if (*s == '$') ++s;
    if (*s < '1' || *s > '9') return std::nullopt;
    long row = 0;
    int digits = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        if (++digits > 7) return std::nullopt;
        row = row * 10 + (*s - '0');
    }
    if (*s || row > kMaxRows) return std::nullopt;
    return CellPos{static_cast<int>(row), column};
}

} // namespace

PackagePart* BookData::findPart(const std::string& name)
{
    for (PackagePart& p : parts)
        if (p.name == name) return &p;
    return nullptr;
}

void BookData::setPart(const std::string& name, QByteArray data)
{
    if (PackagePart* p = findPart(name)) p->data = std::move(data);
    else parts.push_back({name, std::move(data)});
}

void BookData::removePart(const std::string& name)
{
    std::erase_if(parts, [&](const PackagePart& p) { return p.name == name; });
}

void BookData::readSharedStrings(const QByteArray& raw, const std::string& partName)
{
    const QByteArray data = asUtf8(raw);
    using Event = xml::PullParser::Event;
    xml::PullParser p(data.constData(), static_cast<size_t>(data.size()), partName);
    std::string text;
    bool collect = false, inItem = false;
    int phonetic = 0;
    for (Event e = p.next(); e != Event::End; e = p.next()) {
        if (e == Event::Text) {
            if (collect && !phonetic) text += p.text();
            continue;
        }
        const std::string_view name = p.localName();
        const int depth = p.depth();
        if (e == Event::StartElement) {
            if (depth == 2 && name == "si") {
                inItem = true;
                text.clear();
            } else if (inItem && name == "rPh") {
                ++phonetic;
            } else if (inItem && name == "t" && (depth == 3 || depth == 4)) {
                collect = true;
            }
        } else {
            if (name == "t") collect = false;
            else if (name == "rPh") --phonetic;
            else if (depth == 1 && name == "si" && inItem) {
                if (sharedStrings.size() >= kMaxCells) throw Error(QStringLiteral("The workbook holds more than %1 shared strings.").arg(kMaxCells));
                sharedStrings.push_back(xml::decodeText(text.c_str()));
                inItem = false;
            }
        }
    }
}

void BookData::parseTree(pugi::xml_document& doc, const QByteArray& data, const std::string& partName, ParseBudget& b)
{
    b.chargeTree(data.size(), partName);
    xml::parse(doc, data, partName);
}

void BookData::loadOoxml(const QByteArray& bytes)
{
    for (ZipEntry& e : readZip(bytes)) parts.push_back({std::move(e.name), std::move(e.data)});

    const PackagePart* types = findPart("[Content_Types].xml");
    const PackagePart* rootRels = findPart("_rels/.rels");
    if (!types || !rootRels) throw Error(QStringLiteral("The package is not a workbook: it lacks its content types or relationships."));
    parseTree(contentTypes, types->data, types->name, budget);

    pugi::xml_document rels;
    parseTree(rels, rootRels->data, rootRels->name, budget);
    for (pugi::xml_node r = rels.document_element().first_child(); r; r = r.next_sibling())
        if (xml::is(r, "Relationship") && endsWith(r.attribute("Type").value(), rel::officeDocument)
            && std::strcmp(r.attribute("TargetMode").value(), "External") != 0) {
            workbookPart = resolveTarget("", r.attribute("Target").value());
            break;
        }
    const PackagePart* wb = workbookPart.empty() ? nullptr : findPart(workbookPart);
    if (!wb) throw Error(QStringLiteral("The package holds no workbook."));
    parseTree(workbook, wb->data, wb->name, budget);
    if (!xml::is(workbook.document_element(), "workbook")) throw Error(QStringLiteral("The package's main part is not a workbook."));

    workbookRelsPart = relsPartOf(workbookPart);
    if (const PackagePart* p = findPart(workbookRelsPart)) parseTree(workbookRels, p->data, p->name, budget);
    else workbookRels.append_child("Relationships").append_attribute("xmlns") = "http://schemas.openxmlformats.org/package/2006/relationships";

    struct Target {
        std::string type, part;
    };
    std::unordered_map<std::string, Target> targets;
    for (pugi::xml_node r = workbookRels.document_element().first_child(); r; r = r.next_sibling()) {
        if (!xml::is(r, "Relationship") || std::strcmp(r.attribute("TargetMode").value(), "External") == 0) continue;
        Target t{r.attribute("Type").value(), resolveTarget(workbookPart, r.attribute("Target").value())};
        if (endsWith(t.type.c_str(), rel::styles) && stylesPart.empty()) stylesPart = t.part;
        if (endsWith(t.type.c_str(), rel::sharedStrings) && sharedStringsPart.empty()) sharedStringsPart = t.part;
        targets.emplace(r.attribute("Id").value(), std::move(t));
    }

    const pugi::xml_attribute system = xml::child(workbook.document_element(), "workbookPr").attribute("date1904");
    date1904 = system && (std::strcmp(system.value(), "1") == 0 || std::strcmp(system.value(), "true") == 0);

    if (!stylesPart.empty()) {
        const PackagePart* p = findPart(stylesPart);
        if (!p) throw Error(QStringLiteral("The workbook's styles part %1 is missing.").arg(partLabel(stylesPart)));
        parseTree(styles, p->data, p->name, budget);
        const pugi::xml_node xfs = xml::child(styles.document_element(), "cellXfs");
        for (pugi::xml_node x = xfs.first_child(); x; x = x.next_sibling())
            if (xml::is(x, "xf")) ++cellFormatCount;
    }

    if (!sharedStringsPart.empty()) {
        const PackagePart* p = findPart(sharedStringsPart);
        if (!p) throw Error(QStringLiteral("The workbook's shared strings part %1 is missing.").arg(partLabel(sharedStringsPart)));
        budget.chargeStreamed(p->data.size(), p->name);
        readSharedStrings(p->data, p->name);
        sharedStringsInPart = sharedStrings.size();
    }

    const pugi::xml_node sheetList = xml::child(workbook.document_element(), "sheets");
    std::unordered_set<std::string> seenNames, seenParts;
    for (pugi::xml_node s = sheetList.first_child(); s; s = s.next_sibling()) {
        if (!xml::is(s, "sheet")) continue;
        if (sheets.size() >= static_cast<size_t>(kMaxSheets)) throw Error(QStringLiteral("The workbook lists more than %1 sheets.").arg(kMaxSheets));
        SheetEntry entry;
        entry.name = QString::fromUtf8(s.attribute("name").value());
        if (entry.name.isEmpty() || !seenNames.insert(entry.name.toLower().toStdString()).second)
            throw Error(QStringLiteral("The workbook names a sheet \"%1\" that is empty or used twice.").arg(entry.name));
        const auto t = targets.find(xml::attribute(s, "id").value());
        if (t == targets.end()) throw Error(QStringLiteral("The sheet \"%1\" has no part in the package.").arg(entry.name));
        entry.partName = t->second.part;
        entry.isWorksheet = endsWith(t->second.type.c_str(), rel::worksheet);
        // Each sheet has a part of its own; one part read for many sheets would multiply it.
        if (!seenParts.insert(entry.partName).second)
            throw Error(QStringLiteral("The workbook lists the part %1 for more than one sheet.").arg(partLabel(entry.partName)));
        if (entry.isWorksheet) {
            const PackagePart* p = findPart(entry.partName);
            if (!p) throw Error(QStringLiteral("The worksheet part %1 is missing.").arg(partLabel(entry.partName)));
            budget.chargeStreamed(p->data.size(), p->name);
            loadWorksheet(entry, p->data);
            worksheets.push_back(sheets.size());
        }
        sheets.push_back(std::move(entry));
    }
}

namespace {

// A cell as its markup gives it, before it is checked and stored.
struct RawCell {
    std::string r, s, t, v, f, inlineText;
    bool hasV = false, hasF = false, hasInline = false;
    std::vector<std::pair<std::string, std::string>> formulaAttributes;
    void clear()
    {
        r.clear(), s.clear(), t.clear(), v.clear(), f.clear(), inlineText.clear();
        hasV = hasF = hasInline = false;
        formulaAttributes.clear();
    }
};

constexpr size_t kMaxRowAttributes = 32;
constexpr size_t kMaxFormulaAttributes = 16;

} // namespace

QByteArray asUtf8(const QByteArray& data)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        const bool little = data.startsWith("\xFF\xFE");
        QString text;
        text.reserve(data.size() / 2);
        for (qsizetype i = 2; i + 1 < data.size(); i += 2) {
            const auto a = static_cast<unsigned char>(data[i]), b = static_cast<unsigned char>(data[i + 1]);
            text += QChar(char16_t(little ? (b << 8 | a) : (a << 8 | b)));
        }
        return text.toUtf8();
    }
    return data;
}

void BookData::loadWorksheet(SheetEntry& sheet, const QByteArray& raw)
{
    const QByteArray data = asUtf8(raw);
    const QString where = partLabel(sheet.partName);
    using Event = xml::PullParser::Event;
    xml::PullParser p(data.constData(), static_cast<size_t>(data.size()), sheet.partName);
    Event e = p.next();
    while (e == Event::Text) e = p.next();
    if (e != Event::StartElement || p.localName() != "worksheet") throw Error(QStringLiteral("The part %1 is not a worksheet.").arg(where));

    struct Master {
        int row, column;
        QString text;
    };
    std::unordered_map<std::uint64_t, Master> masters;
    struct Pending {
        int row, column;
        std::uint64_t si;
    };
    std::vector<Pending> pending;

    // Formulas cost memory and work by their length, copies of shared formulas included.
    auto countFormula = [&](qsizetype length) {
        formulaCharacters += length;
        if (formulaCharacters > kMaxFormulaCharacters)
            throw Error(QStringLiteral("The workbook's formulas are longer than %1 characters in all.").arg(kMaxFormulaCharacters));
    };

    // Cells of the row being read; a row whose cells come out of order is sorted once at its end
    // rather than inserted into cell by cell.
    std::vector<Cell> rowCells;
    bool rowOrdered = true;
    auto flushRow = [&](int r) {
        if (rowCells.empty()) return;
        if (!rowOrdered) {
            std::stable_sort(rowCells.begin(), rowCells.end(), [](const Cell& a, const Cell& b) { return a.column < b.column; });
            // A column given twice keeps its last cell.
            std::vector<Cell> unique;
            unique.reserve(rowCells.size());
            for (size_t i = 0; i < rowCells.size(); ++i)
                if (i + 1 == rowCells.size() || rowCells[i + 1].column != rowCells[i].column) unique.push_back(std::move(rowCells[i]));
            rowCells = std::move(unique);
        }
        auto& rows = sheet.cells.rows();
        if (const auto existing = rows.find(r); existing == rows.end()) {
            rows.emplace(r, std::move(rowCells));
        } else {
            for (Cell& c : rowCells) {
                const int column = c.column;
                sheet.cells.at(r, column) = std::move(c);
            }
        }
        rowCells.clear();
        rowOrdered = true;
    };

    auto storeCell = [&](int r, int column, RawCell& rc) {
        if (++cellTotal > kMaxCells)
            throw Error(QStringLiteral("The workbook holds more than %1 cells.").arg(kMaxCells));
        if (!rowCells.empty() && rowCells.back().column >= column) rowOrdered = false;
        Cell& cell = rowCells.emplace_back();
        cell.column = column;
        if (!rc.s.empty()) {
            const auto s = parseUnsigned(rc.s.c_str(), 0xffffffffu);
            if (!s || (*s != 0 && *s >= cellFormatCount))
                throw Error(QStringLiteral("The worksheet %1 uses style %2 of %3 at row %4.").arg(where, QString::fromStdString(rc.s).left(20)).arg(cellFormatCount).arg(r));
            cell.style = static_cast<std::uint32_t>(*s);
        }
        const std::string& t = rc.t;
        const char* vt = rc.v.c_str();
        if (t == "s" && !rc.hasV) {
            // A shared string cell without its index holds nothing.
        } else if (t == "s") {
            const auto idx = parseUnsigned(vt, 0x7fffffff);
            if (!idx || *idx >= sharedStrings.size())
                throw Error(QStringLiteral("The worksheet %1 refers to shared string %2 of %3.").arg(where, QString::fromStdString(rc.v).left(20)).arg(sharedStrings.size()));
            cell.type = CellType::Text;
            cell.sharedString = static_cast<std::int32_t>(*idx);
            cell.text = sharedStrings[*idx];
        } else if (t == "inlineStr") {
            cell.type = CellType::Text;
            cell.text = xml::decodeText(rc.inlineText.c_str());
        } else if (t == "str") {
            if (rc.hasV) {
                cell.type = CellType::Text;
                cell.text = xml::decodeText(vt);
            }
        } else if (t == "d") {
            // A date is a day number with a date format, however the file wrote it.
            if (rc.hasV) {
                const auto serial = dateSerial(rc.v, date1904);
                if (!serial)
                    throw Error(QStringLiteral("The worksheet %1 holds \"%2\" as a date.").arg(where, QString::fromStdString(rc.v).left(40)));
                cell.type = CellType::Number;
                cell.number = *serial;
                if (!isDateFormat(numberFormatCode(cell.style)))
                    cell.style = styleWithFormat(cell.style, numberFormatId(rc.v.find(':') == std::string::npos ? QStringLiteral("yyyy-mm-dd")
                                                                                                             : QStringLiteral("yyyy-mm-dd hh:mm:ss")));
            }
        } else if (t == "b") {
            if (rc.hasV) {
                cell.type = CellType::Boolean;
                cell.booleanValue = rc.v == "1" || rc.v == "true";
            }
        } else if (t == "e") {
            if (rc.hasV) {
                cell.type = CellType::Error;
                cell.text = QString::fromStdString(rc.v);
            }
        } else if (t.empty() || t == "n") {
            if (rc.hasV && !rc.v.empty()) {
                const char* b = vt;
                const char* en = vt + rc.v.size();
                while (b < en && (*b == ' ' || *b == '\t' || *b == '\n' || *b == '\r')) ++b;
                while (en > b && (en[-1] == ' ' || en[-1] == '\t' || en[-1] == '\n' || en[-1] == '\r')) --en;
                if (b < en && *b == '+') ++b;
                double number = 0;
                const auto [ptr, ec] = std::from_chars(b, en, number);
                if (ec != std::errc() || ptr != en || !std::isfinite(number))
                    throw Error(QStringLiteral("The worksheet %1 holds \"%2\" as a number.").arg(where, QString::fromStdString(rc.v).left(40)));
                cell.type = CellType::Number;
                cell.number = number;
            }
        } else {
            throw Error(QStringLiteral("The worksheet %1 has a cell of unknown type \"%2\".").arg(where, QString::fromStdString(t).left(20)));
        }

        if (!rc.hasF) return;
        auto formula = std::make_unique<Formula>();
        formula->text = QString::fromStdString(rc.f);
        countFormula(formula->text.size());
        bool shared = false;
        const std::string* si = nullptr;
        for (const auto& [n, v] : rc.formulaAttributes) {
            if (n == "t" && v == "shared") shared = true;
            if (n == "si") si = &v;
        }
        for (auto& a : rc.formulaAttributes)
            if (!(shared && (a.first == "t" || a.first == "si" || a.first == "ref"))) formula->attributes.push_back(std::move(a));
        if (!shared) {
            cell.formula.reset(formula.release());
            return;
        }
        const auto index = si ? parseUnsigned(si->c_str(), 0xffffffffu) : std::nullopt;
        if (!index) throw Error(QStringLiteral("The worksheet %1 has a shared formula without its index.").arg(where));
        if (!formula->text.isEmpty() && !masters.contains(*index)) {
            masters.emplace(*index, Master{r, column, formula->text});
            cell.formula.reset(formula.release());
        } else if (const auto m = masters.find(*index); m != masters.end()) {
            countFormula(m->second.text.size());
            formula->text = offsetRelative(m->second.text, r - m->second.row, column - m->second.column);
            cell.formula.reset(formula.release());
        } else {
            pending.push_back({r, column, *index});
        }
    };

    // The cells, streamed; the rest of the part is kept without them.
    size_t openEnd = 0, closeBegin = 0;
    bool found = false, selfClosing = false;
    while ((e = p.next()) != Event::End) {
        if (e != Event::StartElement || p.depth() != 2 || p.localName() != "sheetData") continue;
        if (found) throw Error(QStringLiteral("The worksheet %1 has two cell data elements.").arg(where));
        found = true;
        openEnd = p.tokenEnd();
        selfClosing = data[static_cast<qsizetype>(openEnd) - 2] == '/';
        enum class Collect { None, V, F, T } collect = Collect::None;
        RawCell rc;
        int lastRow = 0, row = 0, lastColumn = 0, column = 0, phonetic = 0;
        bool inCell = false;
        for (;;) {
            e = p.next();
            if (e == Event::End) break;
            if (e == Event::Text) {
                if (phonetic) continue;
                if (collect == Collect::V) rc.v += p.text();
                else if (collect == Collect::F) rc.f += p.text();
                else if (collect == Collect::T) rc.inlineText += p.text();
                continue;
            }
            const int depth = p.depth();
            const std::string_view name = p.localName();
            if (e == Event::EndElement) {
                if (depth == 1) break; // sheetData closed
                if (depth == 2 && name == "row") flushRow(row);
                if (name == "rPh") --phonetic;
                if (name == "v" || name == "f" || name == "t") collect = Collect::None;
                if (depth == 3 && name == "c" && inCell) {
                    storeCell(row, column, rc);
                    inCell = false;
                }
                continue;
            }
            if (depth == 3 && name == "row") {
                row = lastRow + 1;
                if (const std::string* ra = p.attribute("r")) {
                    const auto v = parseUnsigned(ra->c_str(), kMaxRows);
                    if (!v || *v == 0)
                        throw Error(QStringLiteral("The worksheet %1 has a row number \"%2\" outside 1 to %3.").arg(where, QString::fromStdString(*ra).left(20)).arg(kMaxRows));
                    row = static_cast<int>(*v);
                }
                if (row > kMaxRows) throw Error(QStringLiteral("The worksheet %1 has more than %2 rows.").arg(where).arg(kMaxRows));
                lastRow = row;
                lastColumn = 0;
                if (p.attributes().size() > kMaxRowAttributes) throw Error(QStringLiteral("The worksheet %1 has a row with too many attributes.").arg(where));
                SheetData::RowAttributes attrs;
                for (const auto& [n, v] : p.attributes())
                    if (n != "r" && n != "spans") attrs.emplace_back(std::string(n), v);
                if (!attrs.empty()) {
                    if (++cellTotal > kMaxCells) throw Error(QStringLiteral("The workbook holds more than %1 cells.").arg(kMaxCells));
                    sheet.cells.setRowAttributes(row, std::move(attrs));
                }
            } else if (depth == 4 && name == "c" && row > 0) {
                rc.clear();
                inCell = true;
                column = lastColumn + 1;
                if (const std::string* ca = p.attribute("r")) {
                    const auto pos = parseCellAscii(ca->c_str());
                    if (!pos) throw Error(QStringLiteral("The worksheet %1 has a cell reference \"%2\" outside the grid.").arg(where, QString::fromStdString(*ca).left(20)));
                    if (pos->row != row) throw Error(QStringLiteral("The worksheet %1 places cell %2 in row %3.").arg(where, QString::fromStdString(*ca)).arg(row));
                    column = pos->column;
                }
                if (column > kMaxColumns) throw Error(QStringLiteral("The worksheet %1 has more than %2 columns.").arg(where).arg(kMaxColumns));
                lastColumn = column;
                if (const std::string* s = p.attribute("s")) rc.s = *s;
                if (const std::string* t = p.attribute("t")) rc.t = *t;
            } else if (depth == 5 && inCell) {
                if (name == "v") {
                    rc.hasV = true;
                    collect = Collect::V;
                } else if (name == "f") {
                    rc.hasF = true;
                    collect = Collect::F;
                    if (p.attributes().size() > kMaxFormulaAttributes) throw Error(QStringLiteral("The worksheet %1 has a formula with too many attributes.").arg(where));
                    for (const auto& [n, v] : p.attributes()) rc.formulaAttributes.emplace_back(std::string(n), v);
                } else if (name == "is") {
                    rc.hasInline = true;
                }
            } else if (inCell && rc.hasInline && (depth == 6 || depth == 7)) {
                if (name == "rPh") ++phonetic;
                else if (name == "t" && !phonetic) collect = Collect::T;
            }
        }
        closeBegin = p.tokenBegin();
    }
    if (!found) throw Error(QStringLiteral("The worksheet %1 has no cell data.").arg(where));

    for (const Pending& pd : pending) {
        const auto m = masters.find(pd.si);
        if (m == masters.end()) throw Error(QStringLiteral("The worksheet %1 has a shared formula without its master.").arg(where));
        auto formula = std::make_unique<Formula>();
        countFormula(m->second.text.size());
        formula->text = offsetRelative(m->second.text, pd.row - m->second.row, pd.column - m->second.column);
        sheet.cells.at(pd.row, pd.column).formula.reset(formula.release());
    }

    // Keep the rest of the part, without its cells, as a small document.
    QByteArray skeleton = selfClosing ? data : data.left(static_cast<qsizetype>(openEnd)) + data.mid(static_cast<qsizetype>(closeBegin));
    sheet.skeleton = std::make_unique<pugi::xml_document>();
    parseTree(*sheet.skeleton, skeleton, sheet.partName, budget);
}

} // namespace spreadsheet
