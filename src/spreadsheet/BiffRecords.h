#pragma once
#include "model/Cp932.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace spreadsheet::biff {

// Record types of the legacy workbook stream that the reader uses.
enum RecordType : std::uint16_t {
    Formula = 0x0006,
    Eof = 0x000A,
    DateMode = 0x0022,
    FilePass = 0x002F,
    Continue = 0x003C,
    CodePage = 0x0042,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    RString = 0x00D6,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    Dimensions = 0x0200,
    Blank = 0x0201,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    String = 0x0207,
    Rk = 0x027E,
    Format = 0x041E,
    Bof = 0x0809,
};

// One record with the bodies of the CONTINUE records that follow it.
struct Record {
    std::uint16_t type = 0;
    std::size_t offset = 0; // of its header in the stream
    std::vector<QByteArrayView> parts;
};

// Walks the records of a workbook stream. A record running past the stream or larger than the
// format allows is refused with spreadsheet::Error.
class RecordReader {
public:
    RecordReader(const QByteArray& stream, std::size_t maxRecordSize);
    void seek(std::size_t offset) { pos_ = offset; }
    // The next record, or false at the end of the stream.
    bool next(Record& record);

private:
    bool header(std::size_t at, std::uint16_t& type, std::size_t& size) const;
    const QByteArray& stream_;
    std::size_t maxRecordSize_;
    std::size_t pos_ = 0;
};

// Texts in a workbook code page number (1252, 932, ...); windows-1252 when unknown. Bytes
// the code page does not define read as U+FFFD.
class CodePageDecoder {
public:
    explicit CodePageDecoder(std::uint16_t codePage);
    QString decode(QByteArrayView bytes);

private:
    // On the heap: Qt's converters must stay where they were made.
    std::unique_ptr<model::Cp932Codec> cp932_;
    std::unique_ptr<QStringDecoder> other_;
};

// Reads numbers and strings from a record across its parts. Reading past its end throws
// spreadsheet::Error naming the record.
class RecordCursor {
public:
    explicit RecordCursor(const Record& record);
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    double f64();
    void skip(std::size_t n);
    std::size_t remaining() const;

    // A Unicode string with a 16-bit (or 8-bit) character count, its option byte and any rich
    // text and phonetic data; its characters may continue in the next part, which then starts
    // with an option byte of its own.
    QString unicodeString(bool longCount = true);
    // `count` bytes in the workbook's code page.
    QString codePageString(std::size_t count, CodePageDecoder& decoder);

private:
    [[noreturn]] void overrun() const;
    void nextPartIfAtEnd();
    void enterNextPart();
    const Record& record_;
    std::size_t part_ = 0;
    std::size_t pos_ = 0;
    std::size_t size_ = 0; // of all parts
    std::size_t before_ = 0; // bytes in the parts before the current one
};


} // namespace spreadsheet::biff
