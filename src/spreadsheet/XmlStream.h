#pragma once
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

namespace spreadsheet::xml {

// What a streamed part hands over: elements with their qualified names and attributes (name,
// value, ..., nullptr; values decoded), and character data with references undone, possibly in
// several pieces.
class StreamHandler {
public:
    virtual ~StreamHandler() = default;
    virtual void startElement(std::string_view name, const char** attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    virtual void characters(std::string_view text) = 0;
};

// Streams the large parts (worksheets, shared strings) through expat without building a tree,
// so memory does not grow with the part. Document type declarations are refused, and so are
// elements nested deeper or carrying more attributes than workbook parts ever do. The input is
// UTF-8 (the caller converts a UTF-16 part). Every failure, the handler's own included, throws
// spreadsheet::Error once the parser has stopped.
class StreamParser {
public:
    explicit StreamParser(std::string partName);
    ~StreamParser();
    StreamParser(const StreamParser&) = delete;
    StreamParser& operator=(const StreamParser&) = delete;

    void parse(const QByteArray& data, StreamHandler& handler);

    // During a callback: the byte offsets of the current markup (a start tag, an end tag),
    // beginning and end; an empty element's end event has no bytes of its own.
    std::size_t eventBegin() const;
    std::size_t eventEnd() const;
    // Elements open, the one just started counted, the one just ended not.
    int depth() const { return depth_; }
    const std::string& partName() const { return part_; }

private:
    struct Trampolines;
    void fail(std::exception_ptr error);
    void* parser_ = nullptr;
    StreamHandler* handler_ = nullptr;
    std::exception_ptr error_;
    std::string part_;
    int depth_ = 0;
};

std::string_view localName(std::string_view qualifiedName);
// The value of an attribute by its qualified name; nullptr when missing.
const char* attribute(const char** attributes, std::string_view name);
int attributeCount(const char** attributes);

} // namespace spreadsheet::xml
