#include "spreadsheet/Styles.h"

#include "spreadsheet/Error.h"
#include "spreadsheet/NumberFormats.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/Relationships.h"
#include "spreadsheet/Xml.h"

#include <algorithm>
#include <cstdio>

namespace spreadsheet {

namespace {

} // namespace

QByteArray Styles::defaultPart()
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

namespace {

constexpr const char* kStylesType = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

void setAttribute(pugi::xml_node node, const char* name, long long value)
{
    if (!node.attribute(name)) node.append_attribute(name);
    node.attribute(name) = value;
}

} // namespace

void Styles::read(const QByteArray& part, const std::string& partName, ParseBudget& budget)
{
    budget.chargeTree(part.size(), partName);
    xml::parse(doc_, part, partName);
    partName_ = partName;
    buildIndex();
}

void Styles::buildIndex()
{
    const pugi::xml_node root = doc_.document_element();
    cellFormats_.clear();
    for (pugi::xml_node x = xml::child(xml::child(root, "cellXfs"), "xf"); x; x = x.next_sibling())
        if (xml::is(x, "xf")) cellFormats_.push_back(x);
    cellFormatCount_ = static_cast<std::uint32_t>(cellFormats_.size());
    codes_.clear();
    ids_.clear();
    maxFormatId_ = 163;
    formatCount_ = 0;
    for (pugi::xml_node f = xml::child(root, "numFmts").first_child(); f; f = f.next_sibling())
        if (xml::is(f, "numFmt")) indexNumberFormat(f);
}

void Styles::indexNumberFormat(pugi::xml_node format)
{
    const int id = format.attribute("numFmtId").as_int();
    const std::string code = format.attribute("formatCode").value();
    codes_.emplace(id, code);
    ids_.emplace(code, id);
    maxFormatId_ = std::max(maxFormatId_, id);
    ++formatCount_;
}

void Styles::create(Package& package, Relationships& workbookRelationships, const std::string& workbookPart)
{
    const std::string folder = folderOf(workbookPart);
    const std::string name = package.find(folder + "styles.xml") ? folder + "quorvaneStyles.xml" : folder + "styles.xml";
    package.set(name, defaultPart());
    xml::parse(doc_, defaultPart(), name);
    partName_ = name;
    buildIndex();
    workbookRelationships.add("http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles", name.substr(folder.size()));
    package.addContentType(name, kStylesType);
}

QString Styles::numberFormatCode(std::uint32_t style) const
{
    if (!exists()) return QStringLiteral("General");
    const int id = style < cellFormats_.size() ? cellFormats_[style].attribute("numFmtId").as_int() : 0;
    // The file's own codes come first, as other readers take them.
    if (const auto it = codes_.find(id); it != codes_.end()) return QString::fromStdString(it->second);
    if (const char* b = builtinNumberFormat(id)) return QString::fromLatin1(b);
    return QStringLiteral("General");
}

int Styles::numberFormatId(const QString& code)
{
    if (code == QStringLiteral("G/標準")) return 0; // the Japanese name of the General format
    if (const int id = builtinNumberFormatId(code); id >= 0) return id;
    const std::string utf8 = code.toStdString();
    if (const auto it = ids_.find(utf8); it != ids_.end()) return it->second;
    pugi::xml_node root = doc_.document_element();
    pugi::xml_node fmts = xml::child(root, "numFmts");
    if (!fmts) fmts = root.prepend_child(xml::qualified(root, "numFmts").c_str());
    pugi::xml_node f = fmts.append_child(xml::qualified(fmts, "numFmt").c_str());
    f.append_attribute("numFmtId") = maxFormatId_ + 1;
    f.append_attribute("formatCode") = utf8.c_str();
    indexNumberFormat(f);
    setAttribute(fmts, "count", formatCount_);
    changed_ = true;
    return maxFormatId_;
}

std::uint32_t Styles::withNumberFormat(std::uint32_t style, int formatId)
{
    const auto key = std::make_pair(style, formatId);
    if (const auto it = formatted_.find(key); it != formatted_.end()) return it->second;
    ensureCellFormats();
    pugi::xml_node xfs = xml::child(doc_.document_element(), "cellXfs");
    const pugi::xml_node source = style < cellFormats_.size() ? cellFormats_[style] : pugi::xml_node();
    if (!source) throw Error(QStringLiteral("The workbook has no cell format %1.").arg(style));
    std::uint32_t result = style;
    if (source.attribute("numFmtId").as_int() != formatId) {
        pugi::xml_node copy = xfs.append_copy(source);
        setAttribute(copy, "numFmtId", formatId);
        setAttribute(copy, "applyNumberFormat", 1);
        cellFormats_.push_back(copy);
        result = cellFormatCount_++;
        setAttribute(xfs, "count", cellFormatCount_);
        changed_ = true;
    }
    formatted_.emplace(key, result);
    return result;
}

void Styles::ensureCellFormats()
{
    pugi::xml_node root = doc_.document_element();
    pugi::xml_node xfs = xml::child(root, "cellXfs");
    if (xfs && cellFormatCount_ > 0) return;
    // A styles part without cell formats: give it the default one.
    if (!xfs) xfs = root.append_child(xml::qualified(root, "cellXfs").c_str());
    pugi::xml_node x = xfs.append_child(xml::qualified(xfs, "xf").c_str());
    for (const char* a : {"numFmtId", "fontId", "fillId", "borderId", "xfId"}) x.append_attribute(a) = 0;
    cellFormats_.assign(1, x);
    cellFormatCount_ = 1;
}

std::uint32_t Styles::copyCellFormat(pugi::xml_node source)
{
    pugi::xml_node xfs = xml::child(doc_.document_element(), "cellXfs");
    pugi::xml_node copy = xfs.append_copy(source);
    cellFormats_.push_back(copy);
    setAttribute(xfs, "count", cellFormatCount_ + 1);
    changed_ = true;
    return cellFormatCount_++;
}

std::uint32_t Styles::withFont(std::uint32_t style, bool bold, std::uint32_t rgb)
{
    const auto key = std::make_tuple(style, bold, rgb);
    if (const auto it = fonted_.find(key); it != fonted_.end()) return it->second;
    ensureCellFormats();
    const pugi::xml_node source = style < cellFormats_.size() ? cellFormats_[style] : pugi::xml_node();
    if (!source) throw Error(QStringLiteral("The workbook has no cell format %1.").arg(style));
    pugi::xml_node root = doc_.document_element();
    pugi::xml_node fonts = xml::child(root, "fonts");
    if (!fonts) throw Error(QStringLiteral("The workbook's styles have no fonts."));
    std::vector<pugi::xml_node> list;
    for (pugi::xml_node f = fonts.first_child(); f; f = f.next_sibling())
        if (xml::is(f, "font")) list.push_back(f);
    const unsigned fontId = source.attribute("fontId").as_uint();
    pugi::xml_node font = fonts.append_copy(fontId < list.size() ? list[fontId] : pugi::xml_node());
    if (!font) font = fonts.append_child(xml::qualified(fonts, "font").c_str());
    if (!xml::is(font, "font")) font.set_name(xml::qualified(fonts, "font").c_str());
    for (const char* local : {"b", "color"})
        if (pugi::xml_node n = xml::child(font, local)) font.remove_child(n);
    // Bold comes first and the colour after the strike-through marks, as the schema orders them.
    if (bold) font.prepend_child(xml::qualified(font, "b").c_str());
    pugi::xml_node after;
    for (const char* local : {"b", "i", "strike", "condense", "extend", "outline", "shadow"})
        if (pugi::xml_node n = xml::child(font, local)) after = n;
    const std::string colourName = xml::qualified(font, "color");
    pugi::xml_node colour = after ? font.insert_child_after(colourName.c_str(), after) : font.prepend_child(colourName.c_str());
    char argb[9];
    std::snprintf(argb, sizeof argb, "FF%06X", rgb & 0xFFFFFFu);
    colour.append_attribute("rgb") = argb;
    setAttribute(fonts, "count", static_cast<long long>(list.size() + 1));

    const std::uint32_t result = copyCellFormat(source);
    pugi::xml_node x = cellFormats_[result];
    setAttribute(x, "fontId", static_cast<long long>(list.size()));
    setAttribute(x, "applyFont", 1);
    fonted_.emplace(key, result);
    return result;
}

QByteArray Styles::serialized()
{
    changed_ = false;
    return xml::serialize(doc_);
}

} // namespace spreadsheet
