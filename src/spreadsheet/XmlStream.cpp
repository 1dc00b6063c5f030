#include "spreadsheet/XmlStream.h"

#include "spreadsheet/Error.h"
#include "spreadsheet/Xml.h"

#include <expat.h>

#include <cstring>
#include <utility>

namespace spreadsheet::xml {

namespace {

// Far beyond what workbook parts use; they keep element stacks and attribute lists small.
constexpr int kMaxAttributes = 256;
constexpr int kMaxDepth = 256;

XML_Parser parserOf(void* p) { return static_cast<XML_Parser>(p); }

} // namespace

// Expat is C: nothing may unwind through it, so a handler's exception is kept and the parser
// stopped; parse() throws it afterwards.
struct StreamParser::Trampolines {
    static void start(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        auto* s = static_cast<StreamParser*>(self);
        if (s->stopped_ || s->error_) return; // events expat still delivers after a stop
        try {
            if (s->depth_ >= kMaxDepth)
                throw Error(QStringLiteral("The workbook part %1 is not well-formed XML (elements nested too deeply at byte %2).")
                                .arg(QString::fromStdString(s->part_))
                                .arg(s->eventBegin()));
            if (attributeCount(attributes) > kMaxAttributes)
                throw Error(QStringLiteral("The workbook part %1 is not well-formed XML (too many attributes on one element at byte %2).")
                                .arg(QString::fromStdString(s->part_))
                                .arg(s->eventBegin()));
            ++s->depth_;
            s->handler_->startElement(name, attributes);
        } catch (...) {
            s->fail(std::current_exception());
        }
    }
    static void end(void* self, const XML_Char* name)
    {
        auto* s = static_cast<StreamParser*>(self);
        if (s->stopped_ || s->error_) return; // events expat still delivers after a stop
        try {
            --s->depth_;
            s->handler_->endElement(name);
        } catch (...) {
            s->fail(std::current_exception());
        }
    }
    static void characters(void* self, const XML_Char* text, int length)
    {
        auto* s = static_cast<StreamParser*>(self);
        if (s->stopped_ || s->error_) return; // events expat still delivers after a stop
        try {
            s->handler_->characters(std::string_view(text, static_cast<size_t>(length)));
        } catch (...) {
            s->fail(std::current_exception());
        }
    }
    static void doctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        auto* s = static_cast<StreamParser*>(self);
        s->fail(std::make_exception_ptr(Error(
            QStringLiteral("The workbook part %1 carries a document type declaration, which is not accepted.").arg(QString::fromStdString(s->part_)))));
    }
};

StreamParser::StreamParser(std::string partName)
    : part_(std::move(partName))
{
}

StreamParser::~StreamParser()
{
    if (parser_) XML_ParserFree(parserOf(parser_));
}

void StreamParser::fail(std::exception_ptr error)
{
    if (!error_) error_ = error;
    XML_StopParser(parserOf(parser_), XML_FALSE);
}

std::size_t StreamParser::eventBegin() const { return static_cast<std::size_t>(XML_GetCurrentByteIndex(parserOf(parser_))); }

std::size_t StreamParser::eventEnd() const { return eventBegin() + static_cast<std::size_t>(XML_GetCurrentByteCount(parserOf(parser_))); }

void StreamParser::create(StreamHandler& handler)
{
    if (parser_) XML_ParserFree(parserOf(parser_));
    // The encoding is fixed: the caller has made the part UTF-8, whatever its declaration says.
    parser_ = XML_ParserCreate("UTF-8");
    if (!parser_) throw std::bad_alloc();
    handler_ = &handler;
    error_ = nullptr;
    depth_ = 0;
    stopped_ = false;
    head_.clear();
    utf16_ = decided_ = false;
    XML_Parser p = parserOf(parser_);
    XML_SetUserData(p, this);
    XML_SetElementHandler(p, &Trampolines::start, &Trampolines::end);
    XML_SetCharacterDataHandler(p, &Trampolines::characters);
    XML_SetStartDoctypeDeclHandler(p, &Trampolines::doctype);
}

// False when the handler stopped the reading; throws for every failure.
bool StreamParser::parsePiece(const char* data, qsizetype size, bool final)
{
    if (size > 0x7FFFFFFF) throw Error(QStringLiteral("The workbook part %1 is too large to be read.").arg(QString::fromStdString(part_)));
    XML_Parser p = parserOf(parser_);
    const XML_Status status = XML_Parse(p, data, static_cast<int>(size), final ? XML_TRUE : XML_FALSE);
    if (error_) std::rethrow_exception(error_);
    if (stopped_) return false;
    if (status != XML_STATUS_OK) {
        const XML_Error code = XML_GetErrorCode(p);
        if (code == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
        throw Error(QStringLiteral("The workbook part %1 is not well-formed XML (%2 at byte %3).")
                        .arg(QString::fromStdString(part_), QString::fromUtf8(XML_ErrorString(code)))
                        .arg(static_cast<long long>(XML_GetCurrentByteIndex(p))));
    }
    return true;
}

void StreamParser::parse(const QByteArray& data, StreamHandler& handler)
{
    create(handler);
    parsePiece(data.constData(), data.size(), true);
}

void StreamParser::begin(StreamHandler& handler) { create(handler); }

bool StreamParser::feed(const char* data, qsizetype size)
{
    if (stopped_) return false;
    if (!decided_) {
        head_.append(data, size);
        if (head_.size() < 2) return true;
        decided_ = true;
        utf16_ = head_.startsWith("\xFF\xFE") || head_.startsWith("\xFE\xFF");
        if (utf16_) return true;
        const QByteArray head = std::exchange(head_, QByteArray());
        return parsePiece(head.constData(), head.size(), false);
    }
    if (utf16_) {
        head_.append(data, size);
        return true;
    }
    return parsePiece(data, size, false);
}

void StreamParser::finish()
{
    if (stopped_) return;
    const QByteArray rest = utf16_ ? asUtf8(head_) : head_; // a part of fewer than two bytes, or a UTF-16 one
    head_.clear();
    parsePiece(rest.constData(), rest.size(), true);
}

void StreamParser::stop()
{
    stopped_ = true;
    XML_StopParser(parserOf(parser_), XML_FALSE);
}

const char* attribute(const char** attributes, std::string_view name)
{
    for (const char** a = attributes; *a; a += 2)
        if (name == *a) return a[1];
    return nullptr;
}

int attributeCount(const char** attributes)
{
    int n = 0;
    for (const char** a = attributes; *a; a += 2) ++n;
    return n;
}

} // namespace spreadsheet::xml
