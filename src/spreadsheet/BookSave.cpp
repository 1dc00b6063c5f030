// Writing a Book back as an Office Open XML package.
#include "spreadsheet/BookData.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/XmlPull.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>
#include <set>

namespace spreadsheet {

namespace {

constexpr const char* kSharedStringsType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

bool endsWith(const char* s, const char* suffix)
{
    const size_t a = std::strlen(s), b = std::strlen(suffix);
    return a >= b && std::strcmp(s + a - b, suffix) == 0;
}

std::string prefixOf(const pugi::xml_node& node)
{
    const std::string full = node.name();
    return full.substr(0, full.size() - std::strlen(xml::localName(node)));
}

struct StringWriter : pugi::xml_writer {
    std::string& out;
    explicit StringWriter(std::string& o)
        : out(o)
    {
    }
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

void appendStartTag(std::string& out, const pugi::xml_node& node)
{
    out += '<';
    out += node.name();
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        out += ' ';
        out += a.name();
        out += "=\"";
        xml::appendEscaped(out, a.value());
        out += '"';
    }
    out += '>';
}

void appendColumnLetters(std::string& out, int column)
{
    char buf[4];
    int n = 0;
    while (column > 0) {
        buf[n++] = char('A' + (column - 1) % 26);
        column = (column - 1) / 26;
    }
    while (n) out += buf[--n];
}

} // namespace

void BookData::addOverride(const std::string& name, const char* contentType)
{
    pugi::xml_node root = contentTypes.document_element();
    pugi::xml_node o = root.append_child((prefixOf(root) + "Override").c_str());
    o.append_attribute("PartName") = ("/" + name).c_str();
    o.append_attribute("ContentType") = contentType;
}

std::string BookData::addRelationship(const char* type, const std::string& target)
{
    pugi::xml_node root = workbookRels.document_element();
    std::set<std::string> ids;
    for (pugi::xml_node r = root.first_child(); r; r = r.next_sibling()) ids.insert(r.attribute("Id").value());
    std::string id;
    for (int i = 1;; ++i) {
        id = "rId" + std::to_string(i);
        if (!ids.count(id)) break;
    }
    pugi::xml_node r = root.append_child((prefixOf(root) + "Relationship").c_str());
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = type;
    r.append_attribute("Target") = target.c_str();
    return id;
}

int BookData::sharedStringFor(const QString& text)
{
    if (!sharedStringIndexBuilt) {
        sharedStringIndex.reserve(static_cast<qsizetype>(sharedStrings.size()));
        for (size_t i = 0; i < sharedStrings.size(); ++i) sharedStringIndex.insert(sharedStrings[i], static_cast<int>(i));
        sharedStringIndexBuilt = true;
    }
    const auto it = sharedStringIndex.constFind(text);
    if (it != sharedStringIndex.constEnd()) return it.value();
    const int index = static_cast<int>(sharedStrings.size());
    sharedStrings.push_back(text);
    sharedStringIndex.insert(text, index);
    return index;
}

QByteArray BookData::worksheetXml(SheetEntry& sheet)
{
    const pugi::xml_node root = sheet.skeleton->document_element();
    const std::string ns = prefixOf(xml::child(root, "sheetData"));
    std::string out;
    out.reserve(static_cast<size_t>(sheet.cells.cellCount()) * 28 + 1024);
    out += kXmlDeclaration;
    appendStartTag(out, root);
    StringWriter writer(out);
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && xml::is(child, "dimension")) {
            const auto used = sheet.cells.usedRect();
            out += '<';
            out += child.name();
            out += " ref=\"";
            out += (used ? formatA1Range(*used) : QStringLiteral("A1")).toStdString();
            out += "\"/>";
            continue;
        }
        if (!(child.type() == pugi::node_element && xml::is(child, "sheetData"))) {
            child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
            continue;
        }
        appendStartTag(out, child);
        const auto& rows = sheet.cells.rows();
        const auto& rowAttrs = sheet.cells.rowAttributes();
        auto rit = rows.begin();
        auto ait = rowAttrs.begin();
        while (rit != rows.end() || ait != rowAttrs.end()) {
            int r;
            if (ait == rowAttrs.end() || (rit != rows.end() && rit->first <= ait->first)) r = rit->first;
            else r = ait->first;
            const SheetData::Row* cells = (rit != rows.end() && rit->first == r) ? &rit->second : nullptr;
            const SheetData::RowAttributes* attrs = (ait != rowAttrs.end() && ait->first == r) ? &ait->second : nullptr;
            if (cells) ++rit;
            if (attrs) ++ait;
            const std::string rowNumber = std::to_string(r);
            out += '<';
            out += ns;
            out += "row r=\"";
            out += rowNumber;
            out += '"';
            if (attrs)
                for (const auto& [name, value] : *attrs) {
                    out += ' ';
                    out += name;
                    out += "=\"";
                    xml::appendEscaped(out, value.c_str());
                    out += '"';
                }
            if (!cells || cells->empty()) {
                out += "/>";
                continue;
            }
            out += '>';
            for (Cell& c : *const_cast<SheetData::Row*>(cells)) {
                out += '<';
                out += ns;
                out += "c r=\"";
                appendColumnLetters(out, c.column);
                out += rowNumber;
                out += '"';
                if (c.style) {
                    out += " s=\"";
                    out += std::to_string(c.style);
                    out += '"';
                }
                switch (c.type) {
                case CellType::Empty:
                case CellType::Number: break;
                case CellType::Text: out += c.formula ? " t=\"str\"" : " t=\"s\""; break;
                case CellType::Boolean: out += " t=\"b\""; break;
                case CellType::Error: out += " t=\"e\""; break;
                }
                if (c.type == CellType::Empty && !c.formula) {
                    out += "/>";
                    continue;
                }
                out += '>';
                if (c.formula) {
                    out += '<';
                    out += ns;
                    out += 'f';
                    for (const auto& [name, value] : c.formula->attributes) {
                        out += ' ';
                        out += name;
                        out += "=\"";
                        xml::appendEscaped(out, value.c_str());
                        out += '"';
                    }
                    out += '>';
                    xml::appendPlainText(out, c.formula->text);
                    out += "</";
                    out += ns;
                    out += "f>";
                }
                if (c.type != CellType::Empty) {
                    out += '<';
                    out += ns;
                    out += "v>";
                    switch (c.type) {
                    case CellType::Number: appendStoredNumber(out, c.number); break;
                    case CellType::Text:
                        if (c.formula) {
                            xml::appendText(out, c.text);
                        } else {
                            if (c.sharedString < 0) c.sharedString = sharedStringFor(c.text);
                            out += std::to_string(c.sharedString);
                        }
                        break;
                    case CellType::Boolean: out += c.booleanValue ? '1' : '0'; break;
                    case CellType::Error: xml::appendPlainText(out, c.text); break;
                    case CellType::Empty: break;
                    }
                    out += "</";
                    out += ns;
                    out += "v>";
                }
                out += "</";
                out += ns;
                out += "c>";
            }
            out += "</";
            out += ns;
            out += "row>";
        }
        out += "</";
        out += child.name();
        out += '>';
    }
    out += "</";
    out += root.name();
    out += '>';
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

// The shared strings part with more items: its bytes up to the root's end tag, the new items,
// and the root's start tag carrying the new unique count (the total count is dropped; it is optional).
QByteArray BookData::appendSharedStrings(const QByteArray& raw, const std::string& items)
{
    const QByteArray data = asUtf8(raw);
    using Event = xml::PullParser::Event;
    xml::PullParser p(data.constData(), static_cast<size_t>(data.size()), sharedStringsPart);
    Event e = p.next();
    while (e == Event::Text) e = p.next();
    if (e != Event::StartElement) throw Error(QStringLiteral("The shared strings part has no root element."));
    const size_t rootBegin = p.tokenBegin(), rootEnd = p.tokenEnd();
    const std::string rootName(p.name());
    std::string start = "<" + rootName;
    for (const auto& [n, v] : p.attributes()) {
        if (n == "count" || n == "uniqueCount") continue;
        start += " ";
        start += n;
        start += "=\"";
        xml::appendEscaped(start, v.c_str());
        start += "\"";
    }
    start += " uniqueCount=\"" + std::to_string(sharedStrings.size()) + "\">";
    const bool selfClosing = data[static_cast<qsizetype>(rootEnd) - 2] == '/';
    size_t closeBegin = rootEnd, closeEnd = rootEnd;
    while ((e = p.next()) != Event::End)
        if (e == Event::EndElement && p.depth() == 0 && !selfClosing) {
            closeBegin = p.tokenBegin();
            closeEnd = p.tokenEnd();
        }
    std::string out(data.constData(), rootBegin);
    out += start;
    if (!selfClosing) out.append(data.constData() + rootEnd, closeBegin - rootEnd);
    out += items;
    out += "</" + rootName + ">";
    out.append(data.constData() + closeEnd, static_cast<size_t>(data.size()) - closeEnd);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

void BookData::prepareForSave()
{
    // Worksheets that changed are written from their cells; the others keep their bytes.
    for (SheetEntry& s : sheets) {
        if (!s.isWorksheet || !s.modified) continue;
        setPart(s.partName, worksheetXml(s));
        s.modified = false;
    }

    // New shared strings are appended, so every index in the unchanged worksheets stays valid.
    if (sharedStrings.size() > sharedStringsInPart) {
        std::string items;
        for (size_t i = sharedStringsInPart; i < sharedStrings.size(); ++i) {
            items += xml::needsSpacePreserve(sharedStrings[i]) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
            xml::appendText(items, sharedStrings[i]);
            items += "</t></si>";
        }
        if (sharedStringsPart.empty()) {
            sharedStringsPart = folderOf(workbookPart) + "sharedStrings.xml";
            if (findPart(sharedStringsPart)) sharedStringsPart = folderOf(workbookPart) + "quorvaneSharedStrings.xml";
            addRelationship("http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings",
                            sharedStringsPart.substr(folderOf(workbookPart).size()));
            addOverride(sharedStringsPart, kSharedStringsType);
            std::string part = kXmlDeclaration;
            part += "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" uniqueCount=\"";
            part += std::to_string(sharedStrings.size()) + "\">" + items + "</sst>";
            setPart(sharedStringsPart, QByteArray(part.data(), static_cast<qsizetype>(part.size())));
        } else {
            setPart(sharedStringsPart, appendSharedStrings(findPart(sharedStringsPart)->data, items));
        }
        sharedStringsInPart = sharedStrings.size();
    }

    if (stylesDirty) {
        setPart(stylesPart, xml::serialize(styles));
        stylesDirty = false;
    }

    // The calculation chain is dropped; the opening program recalculates everything.
    pugi::xml_node relsRoot = workbookRels.document_element();
    for (pugi::xml_node r = relsRoot.first_child(); r;) {
        const pugi::xml_node next = r.next_sibling();
        if (endsWith(r.attribute("Type").value(), rel::calcChain)) {
            const std::string part = resolveTarget(workbookPart, r.attribute("Target").value());
            removePart(part);
            pugi::xml_node types = contentTypes.document_element();
            for (pugi::xml_node o = types.first_child(); o;) {
                const pugi::xml_node on = o.next_sibling();
                if (xml::is(o, "Override") && ("/" + part) == o.attribute("PartName").value()) types.remove_child(o);
                o = on;
            }
            relsRoot.remove_child(r);
        }
        r = next;
    }
    pugi::xml_node wb = workbook.document_element();
    pugi::xml_node calc = xml::child(wb, "calcPr");
    if (!calc) {
        pugi::xml_node after;
        for (const char* n : {"sheets", "functionGroups", "externalReferences", "definedNames"})
            if (pugi::xml_node k = xml::child(wb, n)) after = k;
        const std::string name = prefixOf(wb) + "calcPr";
        calc = after ? wb.insert_child_after(name.c_str(), after) : wb.append_child(name.c_str());
    }
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad") = "1";

    setPart(workbookPart, xml::serialize(workbook));
    setPart(workbookRelsPart, xml::serialize(workbookRels));
    setPart("[Content_Types].xml", xml::serialize(contentTypes));
}

void BookData::writePackage(QIODevice& out)
{
    prepareForSave();
    ZipWriter zip(out);
    // The content types first, as other writers do.
    for (const PackagePart& p : parts)
        if (p.name == "[Content_Types].xml") zip.add(p.name, p.data);
    for (const PackagePart& p : parts)
        if (p.name != "[Content_Types].xml") zip.add(p.name, p.data);
    zip.finish();
}

QByteArray Book::toBytes()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    d->writePackage(buffer);
    return buffer.data();
}

void Book::save(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw Error(QStringLiteral("The workbook cannot be saved as %1: %2").arg(shown, file.errorString()));
    try {
        d->writePackage(file); // on an exception the temporary file is discarded and the target left alone
    } catch (const Error& e) {
        throw Error(QStringLiteral("The workbook cannot be saved as %1: %2").arg(shown, e.message()));
    }
    if (!file.commit()) throw Error(QStringLiteral("The workbook cannot be saved as %1: %2").arg(shown, file.errorString()));
}

} // namespace spreadsheet
