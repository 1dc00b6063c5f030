#pragma once
#include <QByteArray>
#include <QString>
#include <pugixml.hpp>
#include <string>

namespace spreadsheet::xml {

inline constexpr qsizetype kMaxTreePartSize = 32 << 20;

// Parses a workbook part (one no larger than kMaxTreePartSize) into a tree. A part with a document type declaration is refused, as is
// anything that is not well-formed XML.
void parse(pugi::xml_document& doc, const QByteArray& data, const std::string& partName);

// The document as UTF-8 text behind a standard declaration, nothing reformatted.
QByteArray serialize(const pugi::xml_document& doc);

// The part as UTF-8 (a UTF-16 part, known by its byte-order mark, is converted).
QByteArray asUtf8(const QByteArray& data);

// Element name without its namespace prefix.
const char* localName(const pugi::xml_node& node);
// The namespace prefix of an element's name with its colon ("c:" for "c:numCache", "" for none).
std::string prefixOf(const pugi::xml_node& node);
// A name in the same namespace as `node`: qualified(<x:row>, "c") is "x:c".
std::string qualified(const pugi::xml_node& node, const char* local);

// Calls f for every element below `root`, walking iteratively: charts can nest deeply.
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
bool is(const pugi::xml_node& node, const char* local);
pugi::xml_node child(const pugi::xml_node& node, const char* local);
// Attribute by local name ("r:id" matches "id" only when asked with the prefix-free name "id").
pugi::xml_attribute attribute(const pugi::xml_node& node, const char* local);

// Text of a string item: the OOXML escapes _xHHHH_ are undone.
QString decodeText(const char* utf8);
// Appends the text escaped for element content (&, <, >, control characters as _xHHHH_).
void appendText(std::string& out, const QString& text);
// Appends the text escaped for element content without the OOXML _xHHHH_ escapes (formulas,
// which are plain strings); characters XML cannot hold are left out.
void appendPlainText(std::string& out, const QString& text);
void appendEscaped(std::string& out, const char* utf8); // attribute or content, UTF-8 already
bool needsSpacePreserve(const QString& text);

// Same escaping for use through pugixml's own writer (control characters as _xHHHH_).
std::string encodeText(const QString& text);

} // namespace spreadsheet::xml
