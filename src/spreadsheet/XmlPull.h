#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace spreadsheet::xml {

// A streaming reader for the large parts (worksheets, shared strings): it walks the document
// token by token, checks that it is well-formed, undoes entity and character references, and
// never builds a tree, so memory does not grow with the part. Document type declarations and
// unknown entities are refused. Input is UTF-8 (a UTF-16 part is converted by the caller).
class PullParser {
public:
    enum class Event { StartElement, EndElement, Text, End };

    PullParser(const char* data, size_t size, std::string partName);

    // The next event; throws spreadsheet::Error on malformed input. A self-closing element gives a
    // StartElement followed by its EndElement.
    Event next();

    // Of the current StartElement or EndElement: the qualified name, and the local name.
    std::string_view name() const { return name_; }
    std::string_view localName() const;
    // Of the current StartElement: attributes with their values decoded.
    const std::vector<std::pair<std::string_view, std::string>>& attributes() const { return attributes_; }
    const std::string* attribute(std::string_view qualifiedName) const;
    // Of the current Text event: character data with references undone (CDATA included).
    const std::string& text() const { return text_; }

    // Element depth: 1 while inside the root element's start tag's content, and so on. After a
    // StartElement it counts that element; after an EndElement it no longer does.
    int depth() const { return static_cast<int>(stack_.size()); }
    // Byte offsets of the current token: where it begins and where it ends.
    size_t tokenBegin() const { return tokenBegin_; }
    size_t tokenEnd() const { return pos_; }

private:
    [[noreturn]] void fail(const char* what) const;
    void decodeInto(std::string& out, size_t begin, size_t end, bool attribute) const;
    void skipSpace();
    bool startsWith(std::string_view s) const;
    static constexpr size_t npos = static_cast<size_t>(-1);
    size_t find(std::string_view s, size_t from) const;

    const char* data_;
    size_t size_;
    size_t pos_ = 0;
    size_t tokenBegin_ = 0;
    std::string part_;
    std::vector<std::string_view> stack_;
    std::string_view name_;
    std::vector<std::pair<std::string_view, std::string>> attributes_;
    std::string text_;
    bool pendingEnd_ = false; // a self-closing element still owes its EndElement
    bool rootSeen_ = false;
};

} // namespace spreadsheet::xml
