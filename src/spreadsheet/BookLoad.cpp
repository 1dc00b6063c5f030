// Reading an Office Open XML package into a Book.
#include "spreadsheet/BookData.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/References.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/Zip.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace sheet {

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

QString stringItemText(const pugi::xml_node& si)
{
    QString text;
    for (pugi::xml_node c = si.first_child(); c; c = c.next_sibling()) {
        if (xml::is(c, "t")) {
            text += xml::decodeText(c.child_value());
        } else if (xml::is(c, "r")) {
            for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
                if (xml::is(t, "t")) text += xml::decodeText(t.child_value());
        }
    }
    return text;
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

void BookData::loadOoxml(const QByteArray& bytes)
{
    for (ZipEntry& e : readZip(bytes)) parts.push_back({std::move(e.name), std::move(e.data)});

    const PackagePart* types = findPart("[Content_Types].xml");
    const PackagePart* rootRels = findPart("_rels/.rels");
    if (!types || !rootRels) throw Error(QStringLiteral("The package is not a workbook: it lacks its content types or relationships."));
    xml::parse(contentTypes, types->data, types->name);

    pugi::xml_document rels;
    xml::parse(rels, rootRels->data, rootRels->name);
    for (pugi::xml_node r = rels.document_element().first_child(); r; r = r.next_sibling())
        if (xml::is(r, "Relationship") && endsWith(r.attribute("Type").value(), rel::officeDocument)
            && std::strcmp(r.attribute("TargetMode").value(), "External") != 0) {
            workbookPart = resolveTarget("", r.attribute("Target").value());
            break;
        }
    const PackagePart* wb = workbookPart.empty() ? nullptr : findPart(workbookPart);
    if (!wb) throw Error(QStringLiteral("The package holds no workbook."));
    xml::parse(workbook, wb->data, wb->name);
    if (!xml::is(workbook.document_element(), "workbook")) throw Error(QStringLiteral("The package's main part is not a workbook."));

    workbookRelsPart = relsPartOf(workbookPart);
    if (const PackagePart* p = findPart(workbookRelsPart)) xml::parse(workbookRels, p->data, p->name);
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

    if (!stylesPart.empty()) {
        const PackagePart* p = findPart(stylesPart);
        if (!p) throw Error(QStringLiteral("The workbook's styles part %1 is missing.").arg(partLabel(stylesPart)));
        xml::parse(styles, p->data, p->name);
        const pugi::xml_node xfs = xml::child(styles.document_element(), "cellXfs");
        for (pugi::xml_node x = xfs.first_child(); x; x = x.next_sibling())
            if (xml::is(x, "xf")) ++cellFormatCount;
    }

    if (!sharedStringsPart.empty()) {
        const PackagePart* p = findPart(sharedStringsPart);
        if (!p) throw Error(QStringLiteral("The workbook's shared strings part %1 is missing.").arg(partLabel(sharedStringsPart)));
        pugi::xml_document sst;
        xml::parse(sst, p->data, p->name);
        for (pugi::xml_node si = sst.document_element().first_child(); si; si = si.next_sibling())
            if (xml::is(si, "si")) sharedStrings.push_back(stringItemText(si));
        sharedStringsInPart = sharedStrings.size();
    }

    const pugi::xml_node sheetList = xml::child(workbook.document_element(), "sheets");
    std::unordered_set<std::string> seenNames;
    for (pugi::xml_node s = sheetList.first_child(); s; s = s.next_sibling()) {
        if (!xml::is(s, "sheet")) continue;
        SheetEntry entry;
        entry.name = QString::fromUtf8(s.attribute("name").value());
        if (entry.name.isEmpty() || !seenNames.insert(entry.name.toLower().toStdString()).second)
            throw Error(QStringLiteral("The workbook names a sheet \"%1\" that is empty or used twice.").arg(entry.name));
        const auto t = targets.find(xml::attribute(s, "id").value());
        if (t == targets.end()) throw Error(QStringLiteral("The sheet \"%1\" has no part in the package.").arg(entry.name));
        entry.partName = t->second.part;
        entry.isWorksheet = endsWith(t->second.type.c_str(), rel::worksheet);
        if (entry.isWorksheet) {
            const PackagePart* p = findPart(entry.partName);
            if (!p) throw Error(QStringLiteral("The worksheet part %1 is missing.").arg(partLabel(entry.partName)));
            loadWorksheet(entry, p->data);
            worksheets.push_back(sheets.size());
        }
        sheets.push_back(std::move(entry));
    }
}

void BookData::loadWorksheet(SheetEntry& sheet, const QByteArray& data)
{
    auto doc = std::make_unique<pugi::xml_document>();
    xml::parse(*doc, data, sheet.partName);
    const pugi::xml_node root = doc->document_element();
    const QString where = partLabel(sheet.partName);
    if (!xml::is(root, "worksheet")) throw Error(QStringLiteral("The part %1 is not a worksheet.").arg(where));
    pugi::xml_node sheetData = xml::child(root, "sheetData");
    if (!sheetData) throw Error(QStringLiteral("The worksheet %1 has no cell data.").arg(where));

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

    int lastRow = 0;
    for (pugi::xml_node row = sheetData.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element || !xml::is(row, "row")) continue;
        int r = lastRow + 1;
        if (const pugi::xml_attribute ra = row.attribute("r")) {
            const auto v = parseUnsigned(ra.value(), kMaxRows);
            if (!v || *v == 0) throw Error(QStringLiteral("The worksheet %1 has a row number \"%2\" outside 1 to %3.").arg(where, QString::fromUtf8(ra.value())).arg(kMaxRows));
            r = static_cast<int>(*v);
        }
        if (r > kMaxRows) throw Error(QStringLiteral("The worksheet %1 has more than %2 rows.").arg(where).arg(kMaxRows));
        lastRow = r;
        SheetData::RowAttributes attrs;
        for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute())
            if (std::strcmp(a.name(), "r") != 0 && std::strcmp(a.name(), "spans") != 0) attrs.emplace_back(a.name(), a.value());
        if (!attrs.empty()) sheet.cells.setRowAttributes(r, std::move(attrs));

        int lastColumn = 0;
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || !xml::is(c, "c")) continue;
            int column = lastColumn + 1;
            if (const pugi::xml_attribute ca = c.attribute("r")) {
                const auto pos = parseCellAscii(ca.value());
                if (!pos) throw Error(QStringLiteral("The worksheet %1 has a cell reference \"%2\" outside the grid.").arg(where, QString::fromUtf8(ca.value())));
                if (pos->row != r) throw Error(QStringLiteral("The worksheet %1 places cell %2 in row %3.").arg(where, QString::fromUtf8(ca.value())).arg(r));
                column = pos->column;
            }
            if (column > kMaxColumns) throw Error(QStringLiteral("The worksheet %1 has more than %2 columns.").arg(where).arg(kMaxColumns));
            lastColumn = column;

            Cell& cell = sheet.cells.at(r, column);
            cell = Cell{};
            cell.column = column;
            if (const pugi::xml_attribute sa = c.attribute("s")) {
                const auto s = parseUnsigned(sa.value(), 0xffffffffu);
                if (!s || (*s != 0 && *s >= cellFormatCount))
                    throw Error(QStringLiteral("The worksheet %1 uses style %2 of %3 at row %4.").arg(where, QString::fromUtf8(sa.value())).arg(cellFormatCount).arg(r));
                cell.style = static_cast<std::uint32_t>(*s);
            }
            pugi::xml_node v, f, is;
            for (pugi::xml_node k = c.first_child(); k; k = k.next_sibling()) {
                if (k.type() != pugi::node_element) continue;
                const char* n = xml::localName(k);
                if (!std::strcmp(n, "v")) v = k;
                else if (!std::strcmp(n, "f")) f = k;
                else if (!std::strcmp(n, "is")) is = k;
            }
            const char* t = c.attribute("t").value();
            const char* vt = v.child_value();
            if (!std::strcmp(t, "s")) {
                const auto idx = parseUnsigned(vt, 0x7fffffff);
                if (!idx || *idx >= sharedStrings.size())
                    throw Error(QStringLiteral("The worksheet %1 refers to shared string %2 of %3.").arg(where, QString::fromUtf8(vt)).arg(sharedStrings.size()));
                cell.type = CellType::Text;
                cell.sharedString = static_cast<std::int32_t>(*idx);
                cell.text = sharedStrings[*idx];
            } else if (!std::strcmp(t, "inlineStr")) {
                cell.type = CellType::Text;
                cell.text = is ? stringItemText(is) : QString();
            } else if (!std::strcmp(t, "str") || !std::strcmp(t, "d")) {
                if (v) {
                    cell.type = CellType::Text;
                    cell.text = xml::decodeText(vt);
                }
            } else if (!std::strcmp(t, "b")) {
                if (v) {
                    cell.type = CellType::Boolean;
                    cell.booleanValue = !std::strcmp(vt, "1") || !std::strcmp(vt, "true");
                }
            } else if (!std::strcmp(t, "e")) {
                if (v) {
                    cell.type = CellType::Error;
                    cell.text = QString::fromUtf8(vt);
                }
            } else if (!*t || !std::strcmp(t, "n")) {
                if (v && *vt) {
                    const char* b = vt;
                    const char* e = vt + std::strlen(vt);
                    while (b < e && (*b == ' ' || *b == '\t' || *b == '\n' || *b == '\r')) ++b;
                    while (e > b && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '\n' || e[-1] == '\r')) --e;
                    if (b < e && *b == '+') ++b;
                    double number = 0;
                    const auto [p, ec] = std::from_chars(b, e, number);
                    if (ec != std::errc() || p != e || !std::isfinite(number))
                        throw Error(QStringLiteral("The worksheet %1 holds \"%2\" as a number.").arg(where, QString::fromUtf8(vt).left(40)));
                    cell.type = CellType::Number;
                    cell.number = number;
                }
            } else {
                throw Error(QStringLiteral("The worksheet %1 has a cell of unknown type \"%2\".").arg(where, QString::fromUtf8(t).left(20)));
            }

            if (f) {
                auto formula = std::make_shared<Formula>();
                formula->text = QString::fromUtf8(f.child_value());
                const bool shared = !std::strcmp(f.attribute("t").value(), "shared");
                for (pugi::xml_attribute a = f.first_attribute(); a; a = a.next_attribute()) {
                    const char* an = a.name();
                    if (shared && (!std::strcmp(an, "t") || !std::strcmp(an, "si") || !std::strcmp(an, "ref"))) continue;
                    formula->attributes.emplace_back(an, a.value());
                }
                if (shared) {
                    const auto si = parseUnsigned(f.attribute("si").value(), 0xffffffffu);
                    if (!si) throw Error(QStringLiteral("The worksheet %1 has a shared formula without its index.").arg(where));
                    if (!formula->text.isEmpty() && !masters.contains(*si)) {
                        masters.emplace(*si, Master{r, column, formula->text});
                        cell.formula = std::move(formula);
                    } else if (const auto m = masters.find(*si); m != masters.end()) {
                        formula->text = offsetRelative(m->second.text, r - m->second.row, column - m->second.column);
                        cell.formula = std::move(formula);
                    } else {
                        pending.push_back({r, column, *si});
                    }
                } else {
                    cell.formula = std::move(formula);
                }
            }
        }
    }
    for (const Pending& p : pending) {
        const auto m = masters.find(p.si);
        if (m == masters.end()) throw Error(QStringLiteral("The worksheet %1 has a shared formula without its master.").arg(where));
        auto formula = std::make_shared<Formula>();
        formula->text = offsetRelative(m->second.text, p.row - m->second.row, p.column - m->second.column);
        sheet.cells.at(p.row, p.column).formula = std::move(formula);
    }

    // Keep the rest of the part, without its cells, in a fresh small document.
    while (sheetData.first_child()) sheetData.remove_child(sheetData.first_child());
    const QByteArray skeleton = xml::serialize(*doc);
    doc = std::make_unique<pugi::xml_document>();
    xml::parse(*doc, skeleton, sheet.partName);
    sheet.skeleton = std::move(doc);
}

} // namespace sheet
