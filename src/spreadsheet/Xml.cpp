#include "spreadsheet/Xml.h"

#include "spreadsheet/Error.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace spreadsheet::xml {

void parse(pugi::xml_document& doc, const QByteArray& data, const std::string& partName)
{
    // A tree costs many times the text it is built from; parts read this way are small in real files.
    if (data.size() > kMaxTreePartSize)
        throw Error(QStringLiteral("The workbook part %1 is too large (%2 bytes) to be read.").arg(QString::fromStdString(partName)).arg(data.size()));
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_doctype | pugi::parse_ws_pcdata_single;
    const pugi::xml_parse_result result = doc.load_buffer(data.constData(), static_cast<size_t>(data.size()), options);
    if (result.status == pugi::status_out_of_memory) throw std::bad_alloc();
    if (!result)
        throw Error(QStringLiteral("The workbook part %1 is not well-formed XML (%2 at byte %3).")
                        .arg(QString::fromStdString(partName), QString::fromUtf8(result.description()))
                        .arg(result.offset));
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            throw Error(QStringLiteral("The workbook part %1 carries a document type declaration, which is not accepted.")
                            .arg(QString::fromStdString(partName)));
    // Our writer puts its own declaration in front; the part's own is dropped.
    while (doc.first_child() && doc.first_child().type() == pugi::node_declaration) doc.remove_child(doc.first_child());
    if (!doc.document_element())
        throw Error(QStringLiteral("The workbook part %1 is empty.").arg(QString::fromStdString(partName)));
}

namespace {

struct ByteWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), static_cast<qsizetype>(size)); }
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isEscapeAt(const QString& s, qsizetype i)
{
    if (i < 0 || i + 7 > s.size()) return false;
    if (s[i] != u'_' || s[i + 1] != u'x' || s[i + 6] != u'_') return false;
    for (int k = 2; k < 6; ++k) {
        const char16_t c = s[i + k].unicode();
        if (c > 127 || hexValue(char(c)) < 0) return false;
    }
    return true;
}

} // namespace

QByteArray serialize(const pugi::xml_document& doc)
{
    ByteWriter w;
    w.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return w.out;
}

const char* localName(const pugi::xml_node& node)
{
    const char* n = node.name();
    const char* colon = std::strrchr(n, ':');
    return colon ? colon + 1 : n;
}

std::string prefixOf(const pugi::xml_node& node)
{
    const char* n = node.name();
    const char* colon = std::strrchr(n, ':');
    return colon ? std::string(n, static_cast<size_t>(colon - n + 1)) : std::string();
}

std::string qualified(const pugi::xml_node& node, const char* local) { return prefixOf(node) + local; }

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

bool is(const pugi::xml_node& node, const char* local) { return std::strcmp(localName(node), local) == 0; }

pugi::xml_node child(const pugi::xml_node& node, const char* local)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && is(c, local)) return c;
    return {};
}

pugi::xml_attribute attribute(const pugi::xml_node& node, const char* local)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char* n = a.name();
        const char* colon = std::strrchr(n, ':');
        if (std::strcmp(colon ? colon + 1 : n, local) == 0) return a;
    }
    return {};
}

QString decodeText(const char* utf8)
{
    QString s = QString::fromUtf8(utf8);
    if (!s.contains(QStringLiteral("_x"))) return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (i + 7 <= s.size() && isEscapeAt(s, i)) {
            int v = 0;
            for (int k = 2; k < 6; ++k) v = v * 16 + hexValue(char(s[i + k].unicode()));
            out += QChar(char16_t(v));
            i += 6;
        } else {
            out += s[i];
        }
    }
    return out;
}

namespace {

template <class Out>
void appendEncoded(Out& out, const QString& text, bool escapeMarkup, bool ooxmlEscapes = true)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        const bool invalid = (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
        if (!ooxmlEscapes && invalid) continue; // not representable in XML 1.0 at all
        if (ooxmlEscapes && (invalid || u == u'\r' || (u == u'_' && isEscapeAt(text, i)))) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "_x%04X_", unsigned(u));
            out += buf;
            continue;
        }
        if (escapeMarkup) {
            if (u == u'&') { out += "&amp;"; continue; }
            if (u == u'<') { out += "&lt;"; continue; }
            if (u == u'>') { out += "&gt;"; continue; }
            if (u == u'"') { out += "&quot;"; continue; }
        }
        if (u < 0x80) {
            out += char(u);
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += QString(text.mid(i, 2)).toUtf8().toStdString();
            ++i;
        } else if (c.isSurrogate()) {
            out += "\xEF\xBF\xBD"; // a lone surrogate cannot be written as UTF-8
        } else {
            char buf[4];
            if (u < 0x800) {
                buf[0] = char(0xC0 | (u >> 6));
                buf[1] = char(0x80 | (u & 0x3F));
                out.append(buf, 2);
            } else {
                buf[0] = char(0xE0 | (u >> 12));
                buf[1] = char(0x80 | ((u >> 6) & 0x3F));
                buf[2] = char(0x80 | (u & 0x3F));
                out.append(buf, 3);
            }
        }
    }
}

} // namespace

void appendText(std::string& out, const QString& text) { appendEncoded(out, text, true); }

void appendPlainText(std::string& out, const QString& text)
{
    std::string escaped;
    appendEncoded(escaped, text, true, false);
    // A carriage return would be read back as a line feed; keep it as a character reference.
    for (char c : escaped) {
        if (c == '\r') out += "&#13;";
        else out += c;
    }
}

void appendEscaped(std::string& out, const char* utf8)
{
    for (const char* p = utf8; *p; ++p) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += *p;
        }
    }
}

bool needsSpacePreserve(const QString& text)
{
    if (text.isEmpty()) return false;
    auto ws = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    return ws(text.front()) || ws(text.back());
}

std::string encodeText(const QString& text)
{
    std::string out;
    appendEncoded(out, text, false);
    return out;
}

} // namespace spreadsheet::xml
