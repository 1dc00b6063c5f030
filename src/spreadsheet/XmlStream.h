#pragma once
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace spreadsheet::xml {

// Hands each piece of a part, in order, to `piece` until that returns false.
using PartPieces = std::function<void(const std::function<bool(const char* data, qsizetype size)>& piece)>;

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

    // The same piece by piece, so a part need not be held whole: begin(), feed() every piece in
    // order, finish() after the last. feed() returns false once the handler has stopped the
    // reading (stop()); the rest of the part is then not needed, and finish() checks nothing
    // more. A UTF-16 part is gathered whole and converted before it is parsed.
    void begin(StreamHandler& handler);
    bool feed(const char* data, qsizetype size);
    void finish();
    // During a callback: ends the reading after this event, as a success.
    void stop();
    bool stopped() const { return stopped_; }

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
    void create(StreamHandler& handler);
    bool parsePiece(const char* data, qsizetype size, bool final);
    void* parser_ = nullptr;
    StreamHandler* handler_ = nullptr;
    std::exception_ptr error_;
    std::string part_;
    int depth_ = 0;
    bool stopped_ = false;
    QByteArray head_;      // the first bytes, until they tell UTF-8 from UTF-16
    bool utf16_ = false;   // the part is gathered in head_ and converted at the end
    bool decided_ = false;
};

// The name after the prefix ("c" of "x:c"); inline, as every element event asks for it.
inline std::string_view localName(std::string_view qualifiedName)
{
    const auto colon = qualifiedName.rfind(':');
    return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
}
// The value of an attribute by its qualified name; nullptr when missing.
const char* attribute(const char** attributes, std::string_view name);
int attributeCount(const char** attributes);

} // namespace spreadsheet::xml
