#include "spreadsheet/XmlPull.h"

#include "spreadsheet/Error.h"

#include <QString>

#include <cstring>

namespace spreadsheet::xml {

namespace {

// Far beyond what workbook parts use; they keep the duplicate check and the element stack small.
constexpr size_t kMaxAttributes = 256;
constexpr size_t kMaxDepth = 256;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNameChar(char c)
{
    return !isSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'' && c != '\0';
}

void appendUtf8(std::string& out, unsigned long cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

PullParser::PullParser(const char* data, size_t size, std::string partName)
    : data_(data)
    , size_(size)
    , part_(std::move(partName))
{
    if (size_ >= 3 && std::memcmp(data_, "\xEF\xBB\xBF", 3) == 0) pos_ = 3;
}

void PullParser::fail(const char* what) const
{
    throw Error(QStringLiteral("The workbook part %1 is not well-formed XML (%2 at byte %3).")
                    .arg(QString::fromStdString(part_), QString::fromUtf8(what))
                    .arg(pos_));
}

std::string_view PullParser::localName() const
{
    const auto colon = name_.rfind(':');
    return colon == std::string_view::npos ? name_ : name_.substr(colon + 1);
}

const std::string* PullParser::attribute(std::string_view qualifiedName) const
{
    for (const auto& [n, v] : attributes_)
        if (n == qualifiedName) return &v;
    return nullptr;
}

size_t PullParser::find(std::string_view s, size_t from) const
{
    const size_t at = std::string_view(data_, size_).find(s, from);
    return at == std::string_view::npos ? npos : at;
}

bool PullParser::startsWith(std::string_view s) const
{
    if (size_ - pos_ < s.size()) return false;
    // Most tests fail on the character after "<" (a start tag, not "<!", "<?" or "</"): decide
    // those without a call, which counts when a worksheet holds a million cells.
    if (s.size() >= 2 && data_[pos_ + 1] != s[1]) return false;
    return std::memcmp(data_ + pos_, s.data(), s.size()) == 0;
}

void PullParser::skipSpace()
{
    while (pos_ < size_ && isSpace(data_[pos_])) ++pos_;
}

void PullParser::decodeInto(std::string& out, size_t begin, size_t end, bool attribute) const
{
    for (size_t i = begin; i < end; ++i) {
        const char c = data_[i];
        if (c == '&') {
            const void* semi = std::memchr(data_ + i, ';', std::min<size_t>(end - i, 12));
            if (!semi) fail("an unterminated reference");
            const size_t stop = static_cast<const char*>(semi) - data_;
            const std::string_view ref(data_ + i + 1, stop - i - 1);
            if (ref == "lt") out += '<';
            else if (ref == "gt") out += '>';
            else if (ref == "amp") out += '&';
            else if (ref == "quot") out += '"';
            else if (ref == "apos") out += '\'';
            else if (ref.size() >= 2 && ref[0] == '#') {
                unsigned long cp = 0;
                const bool hex = ref[1] == 'x';
                const size_t from = hex ? 2 : 1;
                if (ref.size() <= from) fail("an empty character reference");
                for (size_t k = from; k < ref.size(); ++k) {
                    const char d = ref[k];
                    int v;
                    if (d >= '0' && d <= '9') v = d - '0';
                    else if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
                    else if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
                    else fail("a malformed character reference");
                    cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(v);
                    if (cp > 0x10FFFF) fail("a character reference out of range");
                }
                if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) fail("a character reference to an invalid character");
                appendUtf8(out, cp);
            } else {
                fail("an undefined entity");
            }
            i = stop;
        } else if (c == '\r') {
            // Line ends read as one line feed; in attributes, white space reads as a blank.
            out += attribute ? ' ' : '\n';
            if (i + 1 < end && data_[i + 1] == '\n') ++i;
        } else if (attribute && (c == '\n' || c == '\t')) {
            out += ' ';
        } else if (c == '<') {
            fail("a \"<\" inside a value");
        } else {
            out += c;
        }
    }
}

PullParser::Event PullParser::next()
{
    if (pendingEnd_) {
        pendingEnd_ = false;
        stack_.pop_back();
        return Event::EndElement;
    }
    text_.clear();
    for (;;) {
        tokenBegin_ = pos_;
        if (pos_ >= size_) {
            if (!stack_.empty()) fail("an element left open at the end");
            if (!rootSeen_) fail("no root element");
            return Event::End;
        }
        if (data_[pos_] != '<') {
            const void* lt = std::memchr(data_ + pos_, '<', size_ - pos_);
            const size_t stop = lt ? static_cast<size_t>(static_cast<const char*>(lt) - data_) : size_;
            if (stack_.empty()) {
                for (size_t i = pos_; i < stop; ++i)
                    if (!isSpace(data_[i])) fail("text outside the root element");
                pos_ = stop;
                continue;
            }
            decodeInto(text_, pos_, stop, false);
            pos_ = stop;
            return Event::Text;
        }
        if (startsWith("<!--")) {
            const size_t end = find("-->", pos_ + 4);
            if (end == npos) fail("an unterminated comment");
            pos_ = end + 3;
            continue;
        }
        if (startsWith("<?")) {
            const size_t end = find("?>", pos_ + 2);
            if (end == npos) fail("an unterminated processing instruction");
            pos_ = end + 2;
            continue;
        }
        if (startsWith("<![CDATA[")) {
            if (stack_.empty()) fail("character data outside the root element");
            const size_t end = find("]]>", pos_ + 9);
            if (end == npos) fail("an unterminated CDATA section");
            text_.append(data_ + pos_ + 9, end - (pos_ + 9));
            pos_ = end + 3;
            return Event::Text;
        }
        if (startsWith("<!")) {
            if (startsWith("<!DOCTYPE"))
                throw Error(QStringLiteral("The workbook part %1 carries a document type declaration, which is not accepted.")
                                .arg(QString::fromStdString(part_)));
            fail("a markup declaration");
        }
        if (startsWith("</")) {
            pos_ += 2;
            const size_t nameBegin = pos_;
            while (pos_ < size_ && isNameChar(data_[pos_])) ++pos_;
            name_ = std::string_view(data_ + nameBegin, pos_ - nameBegin);
            skipSpace();
            if (pos_ >= size_ || data_[pos_] != '>') fail("a malformed end tag");
            ++pos_;
            if (stack_.empty() || stack_.back() != name_) fail("an end tag that does not match its start tag");
            stack_.pop_back();
            return Event::EndElement;
        }
        // Start tag.
        ++pos_;
        const size_t nameBegin = pos_;
        while (pos_ < size_ && isNameChar(data_[pos_])) ++pos_;
        if (pos_ == nameBegin) fail("an element without a name");
        name_ = std::string_view(data_ + nameBegin, pos_ - nameBegin);
        if (stack_.empty() && rootSeen_) fail("a second root element");
        attributes_.clear();
        for (;;) {
            const size_t before = pos_;
            skipSpace();
            if (pos_ >= size_) fail("an unterminated start tag");
            if (data_[pos_] == '>') {
                ++pos_;
                break;
            }
            if (data_[pos_] == '/') {
                if (pos_ + 1 >= size_ || data_[pos_ + 1] != '>') fail("a malformed start tag");
                pos_ += 2;
                pendingEnd_ = true;
                break;
            }
            if (pos_ == before) fail("attributes without white space between them");
            const size_t an = pos_;
            while (pos_ < size_ && isNameChar(data_[pos_])) ++pos_;
            if (pos_ == an) fail("a malformed attribute");
            const std::string_view attrName(data_ + an, pos_ - an);
            skipSpace();
            if (pos_ >= size_ || data_[pos_] != '=') fail("an attribute without a value");
            ++pos_;
            skipSpace();
            if (pos_ >= size_ || (data_[pos_] != '"' && data_[pos_] != '\'')) fail("an unquoted attribute value");
            const char quote = data_[pos_++];
            const void* close = std::memchr(data_ + pos_, quote, size_ - pos_);
            if (!close) fail("an unterminated attribute value");
            const size_t stop = static_cast<size_t>(static_cast<const char*>(close) - data_);
            if (attributes_.size() >= kMaxAttributes) fail("too many attributes on one element");
            for (const auto& [n, v] : attributes_)
                if (n == attrName) fail("an attribute given twice");
            std::string value;
            decodeInto(value, pos_, stop, true);
            attributes_.emplace_back(attrName, std::move(value));
            pos_ = stop + 1;
        }
        rootSeen_ = true;
        if (stack_.size() >= kMaxDepth) fail("elements nested too deeply");
        stack_.push_back(name_);
        return Event::StartElement;
    }
}

} // namespace spreadsheet::xml
