#include "spreadsheet/BiffRecords.h"

#include "spreadsheet/Error.h"

#include <QtEndian>

#include <cstring>

namespace spreadsheet::biff {

namespace {

[[noreturn]] void damaged(const QString& why)
{
    throw Error(QStringLiteral("The legacy workbook is damaged: %1.").arg(why));
}

} // namespace

RecordReader::RecordReader(const QByteArray& stream, std::size_t maxRecordSize)
    : stream_(stream)
    , maxRecordSize_(maxRecordSize)
{
}

bool RecordReader::header(std::size_t at, std::uint16_t& type, std::size_t& size) const
{
    if (at + 4 > static_cast<std::size_t>(stream_.size())) return false;
    type = qFromLittleEndian<quint16>(stream_.constData() + at);
    size = qFromLittleEndian<quint16>(stream_.constData() + at + 2);
    return true;
}

bool RecordReader::next(Record& record)
{
    std::uint16_t type = 0;
    std::size_t size = 0;
    if (!header(pos_, type, size)) return false;
    if (type == 0 && size == 0) return false; // padding after the last record
    record.type = type;
    record.offset = pos_;
    record.parts.clear();
    for (;;) {
        if (size > maxRecordSize_) damaged(QStringLiteral("a record of %1 bytes at byte %2").arg(size).arg(pos_));
        if (pos_ + 4 + size > static_cast<std::size_t>(stream_.size()))
            damaged(QStringLiteral("a record running past the end of the stream at byte %1").arg(pos_));
        record.parts.emplace_back(stream_.constData() + pos_ + 4, static_cast<qsizetype>(size));
        pos_ += 4 + size;
        if (!header(pos_, type, size) || type != Continue) break;
    }
    return true;
}

RecordCursor::RecordCursor(const Record& record)
    : record_(record)
{
    for (const QByteArrayView& p : record.parts) size_ += static_cast<std::size_t>(p.size());
}

void RecordCursor::overrun() const
{
    damaged(QStringLiteral("record 0x%1 at byte %2 is shorter than its contents").arg(record_.type, 4, 16, QLatin1Char('0')).arg(record_.offset));
}

void RecordCursor::enterNextPart()
{
    before_ += static_cast<std::size_t>(record_.parts[part_].size());
    ++part_;
    pos_ = 0;
}

void RecordCursor::nextPartIfAtEnd()
{
    while (part_ < record_.parts.size() && pos_ >= static_cast<std::size_t>(record_.parts[part_].size())) enterNextPart();
}

// Kept as a running count: records split into thousands of parts are read a few bytes at a time.
std::size_t RecordCursor::remaining() const { return size_ - before_ - pos_; }

std::uint8_t RecordCursor::u8()
{
    nextPartIfAtEnd();
    if (part_ >= record_.parts.size()) overrun();
    return static_cast<std::uint8_t>(record_.parts[part_][static_cast<qsizetype>(pos_++)]);
}

std::uint16_t RecordCursor::u16()
{
    const std::uint16_t a = u8();
    return static_cast<std::uint16_t>(a | (u8() << 8));
}

std::uint32_t RecordCursor::u32()
{
    const std::uint32_t a = u16();
    return a | (static_cast<std::uint32_t>(u16()) << 16);
}

double RecordCursor::f64()
{
    std::uint64_t bits = u32();
    bits |= static_cast<std::uint64_t>(u32()) << 32;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void RecordCursor::skip(std::size_t n)
{
    if (n > remaining()) overrun();
    while (n > 0) {
        nextPartIfAtEnd();
        const std::size_t here = std::min(n, static_cast<std::size_t>(record_.parts[part_].size()) - pos_);
        pos_ += here;
        n -= here;
    }
}

QString RecordCursor::unicodeString(bool longCount)
{
    const std::size_t count = longCount ? u16() : u8();
    std::uint8_t options = u8();
    const std::size_t runs = (options & 0x08) ? u16() : 0;
    const std::size_t extension = (options & 0x04) ? u32() : 0;
    QString text;
    text.reserve(static_cast<qsizetype>(std::min<std::size_t>(count, remaining())));
    for (std::size_t i = 0; i < count; ++i) {
        if (part_ < record_.parts.size() && pos_ >= static_cast<std::size_t>(record_.parts[part_].size())) {
            // The characters go on in the next part behind an option byte of their own.
            enterNextPart();
            options = u8();
        }
        text += (options & 0x01) ? QChar(char16_t(u16())) : QChar(char16_t(u8()));
    }
    skip(runs * 4 + extension);
    return text;
}

QString RecordCursor::codePageString(std::size_t count, CodePageDecoder& decoder)
{
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(std::min(count, remaining())));
    for (std::size_t i = 0; i < count; ++i) bytes.append(static_cast<char>(u8()));
    return decoder.decode(bytes);
}

CodePageDecoder::CodePageDecoder(std::uint16_t codePage)
{
    if (codePage == 932) {
        cp932_ = std::make_unique<model::Cp932Codec>();
        if (cp932_->available()) return;
        cp932_.reset();
    }
    const char* name = "windows-1252";
    switch (codePage) {
    case 367: name = "US-ASCII"; break;
    case 437: name = "IBM437"; break;
    case 850: name = "IBM850"; break;
    case 936: name = "GBK"; break;
    case 949: name = "windows-949"; break;
    case 950: name = "Big5"; break;
    case 1200: name = "UTF-16LE"; break;
    case 1250: name = "windows-1250"; break;
    case 1251: name = "windows-1251"; break;
    case 1253: name = "windows-1253"; break;
    case 1254: name = "windows-1254"; break;
    case 1255: name = "windows-1255"; break;
    case 1256: name = "windows-1256"; break;
    case 1257: name = "windows-1257"; break;
    case 1258: name = "windows-1258"; break;
    case 10000:
    case 0x8000: name = "macintosh"; break;
    default: break;
    }
    other_ = std::make_unique<QStringDecoder>(name, QStringDecoder::Flag::Stateless);
    if (!other_->isValid()) other_ = std::make_unique<QStringDecoder>(QStringDecoder::Latin1, QStringDecoder::Flag::Stateless);
}

QString CodePageDecoder::decode(QByteArrayView bytes)
{
    return cp932_ ? cp932_->decodeLenient(bytes) : other_->decode(bytes);
}

} // namespace spreadsheet::biff
