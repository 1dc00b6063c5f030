#include "spreadsheet/XmlStream.h"

#include "spreadsheet/Error.h"

#include <expat.h>

#include <cstring>

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

void StreamParser::parse(const QByteArray& data, StreamHandler& handler)
{
    if (data.size() > 0x7FFFFFFF) throw Error(QStringLiteral("The workbook part %1 is too large to be read.").arg(QString::fromStdString(part_)));
    if (parser_) XML_ParserFree(parserOf(parser_));
    // The encoding is fixed: the caller has made the part UTF-8, whatever its declaration says.
    parser_ = XML_ParserCreate("UTF-8");
    if (!parser_) throw std::bad_alloc();
    handler_ = &handler;
    error_ = nullptr;
    depth_ = 0;
    XML_Parser p = parserOf(parser_);
    XML_SetUserData(p, this);
    XML_SetElementHandler(p, &Trampolines::start, &Trampolines::end);
    XML_SetCharacterDataHandler(p, &Trampolines::characters);
    XML_SetStartDoctypeDeclHandler(p, &Trampolines::doctype);
    const XML_Status status = XML_Parse(p, data.constData(), static_cast<int>(data.size()), XML_TRUE);
    if (error_) std::rethrow_exception(error_);
    if (status != XML_STATUS_OK) {
        const XML_Error code = XML_GetErrorCode(p);
        if (code == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
        throw Error(QStringLiteral("The workbook part %1 is not well-formed XML (%2 at byte %3).")
                        .arg(QString::fromStdString(part_), QString::fromUtf8(XML_ErrorString(code)))
                        .arg(static_cast<long long>(XML_GetCurrentByteIndex(p))));
    }
}

std::string_view localName(std::string_view qualifiedName)
{
    const auto colon = qualifiedName.rfind(':');
    return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
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
