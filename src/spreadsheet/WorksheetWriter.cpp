#include "spreadsheet/WorksheetWriter.h"

#include "spreadsheet/SharedStrings.h"
#include "spreadsheet/SheetEntry.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/Xml.h"

#include <charconv>
#include <cstring>

namespace spreadsheet {

namespace {

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

struct StringWriter : pugi::xml_writer {
    std::string& out;
    explicit StringWriter(std::string& o)
        : out(o)
    {
    }
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

void appendAttribute(std::string& out, const char* name, const char* value)
{
    out += ' ';
    out += name;
    out += "=\"";
    xml::appendEscaped(out, value);
    out += '"';
}

void appendStartTag(std::string& out, const pugi::xml_node& node)
{
    out += '<';
    out += node.name();
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) appendAttribute(out, a.name(), a.value());
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

// Writes the rows of a sheet: the row elements of rows with cells or attributes, in order.
// The tags, in the namespace prefix of the part, are made once.
class CellWriter {
public:
    CellWriter(std::string& out, const std::string& ns)
        : out_(out)
        , rowOpen_("<" + ns + "row r=\"")
        , rowClose_("</" + ns + "row>")
        , cellOpen_("<" + ns + "c r=\"")
        , cellClose_("</" + ns + "c>")
        , formulaOpen_("<" + ns + "f")
        , formulaClose_("</" + ns + "f>")
        , valueOpen_("<" + ns + "v>")
        , valueClose_("</" + ns + "v>")
        , quick_(4 * ns.size() + 128 <= kQuickCell)
    {
    }

    void rows(const SheetData& cells)
    {
        const auto& rows = cells.rows();
        const auto& attributes = cells.rowAttributes();
        auto rit = rows.begin();
        auto ait = attributes.begin();
        while (rit != rows.end() || ait != attributes.end()) {
            const int r = (ait == attributes.end() || (rit != rows.end() && rit->first <= ait->first)) ? rit->first : ait->first;
            const SheetData::Row* rowCells = (rit != rows.end() && rit->first == r) ? &rit->second : nullptr;
            const SheetData::RowAttributes* rowAttributes = (ait != attributes.end() && ait->first == r) ? &ait->second : nullptr;
            if (rowCells) ++rit;
            if (rowAttributes) ++ait;
            row(r, rowCells, rowAttributes);
        }
    }

private:
    void row(int r, const SheetData::Row* cells, const SheetData::RowAttributes* attributes)
    {
        rowNumber_ = std::to_string(r);
        out_ += rowOpen_;
        out_ += rowNumber_;
        out_ += '"';
        if (attributes)
            for (const auto& [name, value] : *attributes) appendAttribute(out_, name.c_str(), value.c_str());
        if (!cells || cells->empty()) {
            out_ += "/>";
            return;
        }
        out_ += '>';
        for (const Cell& c : *cells) cell(c);
        out_ += rowClose_;
    }

    // Room for a cell written in one piece: its tags, reference, style, type and value.
    static constexpr size_t kQuickCell = 256;

    static char* put(char* o, const std::string& s)
    {
        std::memcpy(o, s.data(), s.size());
        return o + s.size();
    }
    template <size_t N>
    static char* put(char* o, const char (&s)[N])
    {
        std::memcpy(o, s, N - 1);
        return o + N - 1;
    }

    // A cell without a formula or an error's text, nearly every one, is put together on the stack
    // and appended at once; the same markup as cell() writes.
    bool quickCell(const Cell& c)
    {
        if (!quick_ || c.formula || c.type == CellType::Error) return false;
        char buf[kQuickCell];
        char* o = put(buf, cellOpen_);
        char letters[4];
        int n = 0;
        for (int column = c.column; column > 0; column = (column - 1) / 26) letters[n++] = char('A' + (column - 1) % 26);
        while (n) *o++ = letters[--n];
        o = put(o, rowNumber_);
        *o++ = '"';
        if (c.style) {
            o = put(o, " s=\"");
            o = std::to_chars(o, buf + kQuickCell, c.style).ptr;
            *o++ = '"';
        }
        if (c.type == CellType::Text) o = put(o, " t=\"s\"");
        else if (c.type == CellType::Boolean) o = put(o, " t=\"b\"");
        if (c.type == CellType::Empty) {
            o = put(o, "/>");
        } else {
            *o++ = '>';
            o = put(o, valueOpen_);
            if (c.type == CellType::Number) o += writeStoredNumber(c.number, o);
            else if (c.type == CellType::Text) o = std::to_chars(o, buf + kQuickCell, c.sharedString).ptr;
            else *o++ = c.booleanValue ? '1' : '0';
            o = put(o, valueClose_);
            o = put(o, cellClose_);
        }
        out_.append(buf, static_cast<size_t>(o - buf));
        return true;
    }

    void cell(const Cell& c)
    {
        if (quickCell(c)) return;
        out_ += cellOpen_;
        appendColumnLetters(out_, c.column);
        out_ += rowNumber_;
        out_ += '"';
        if (c.style) {
            out_ += " s=\"";
            out_ += std::to_string(c.style);
            out_ += '"';
        }
        switch (c.type) {
        case CellType::Empty:
        case CellType::Number: break;
        case CellType::Text: out_ += c.formula ? " t=\"str\"" : " t=\"s\""; break;
        case CellType::Boolean: out_ += " t=\"b\""; break;
        case CellType::Error: out_ += " t=\"e\""; break;
        }
        if (c.type == CellType::Empty && !c.formula) {
            out_ += "/>";
            return;
        }
        out_ += '>';
        if (c.formula) {
            out_ += formulaOpen_;
            for (const auto& [name, value] : c.formula->attributes) appendAttribute(out_, name.c_str(), value.c_str());
            out_ += '>';
            xml::appendPlainText(out_, c.formula->text);
            out_ += formulaClose_;
        }
        if (c.type != CellType::Empty) {
            out_ += valueOpen_;
            value(c);
            out_ += valueClose_;
        }
        out_ += cellClose_;
    }

    void value(const Cell& c)
    {
        switch (c.type) {
        case CellType::Number: appendStoredNumber(out_, c.number); break;
        case CellType::Text:
            if (c.formula) xml::appendText(out_, c.text);
            else out_ += std::to_string(c.sharedString);
            break;
        case CellType::Boolean: out_ += c.booleanValue ? '1' : '0'; break;
        case CellType::Error: xml::appendPlainText(out_, c.text); break;
        case CellType::Empty: break;
        }
    }

    std::string& out_;
    const std::string rowOpen_, rowClose_, cellOpen_, cellClose_, formulaOpen_, formulaClose_, valueOpen_, valueClose_;
    const bool quick_; // the part's prefix leaves the tags room in kQuickCell
    std::string rowNumber_;
};

} // namespace

void indexSharedStrings(SheetData& cells, SharedStrings& strings)
{
    for (auto& [r, row] : cells.rows())
        for (Cell& c : row)
            if (c.type == CellType::Text && !c.formula && c.sharedString < 0) c.sharedString = strings.indexOf(c.text);
}

QByteArray writeWorksheet(const SheetEntry& sheet)
{
    const pugi::xml_node root = sheet.skeleton->document_element();
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
        } else if (child.type() == pugi::node_element && xml::is(child, "sheetData")) {
            appendStartTag(out, child);
            CellWriter(out, xml::prefixOf(child)).rows(sheet.cells);
            out += "</";
            out += child.name();
            out += '>';
        } else {
            child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        }
    }
    out += "</";
    out += root.name();
    out += '>';
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace spreadsheet
