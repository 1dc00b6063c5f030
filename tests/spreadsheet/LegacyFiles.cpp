#include "LegacyFiles.h"

#include <QtEndian>
#include <cstring>

namespace testing_support {

QByteArray u16le(unsigned v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(static_cast<quint16>(v), b.data());
    return b;
}

QByteArray u32le(std::uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray f64le(double v)
{
    QByteArray b(8, '\0');
    std::memcpy(b.data(), &v, 8);
    return b;
}

QByteArray biffRecord(std::uint16_t type, const QByteArray& body) { return u16le(type) + u16le(static_cast<unsigned>(body.size())) + body; }

QByteArray dimensions(std::uint32_t rows, std::uint16_t columns)
{
    return biffRecord(0x0200, u32le(0) + u32le(rows) + u16le(0) + u16le(columns) + u16le(0));
}

QByteArray numberCell(int row, int column, double v, int xf)
{
    return biffRecord(0x0203, u16le(row) + u16le(column) + u16le(xf) + f64le(v));
}

QByteArray labelCell(int row, int column, const QString& text, int xf)
{
    QByteArray chars;
    for (QChar c : text) chars += u16le(c.unicode());
    return biffRecord(0x0204, u16le(row) + u16le(column) + u16le(xf) + u16le(text.size()) + QByteArray(1, '\x01') + chars);
}

QByteArray boolCell(int row, int column, bool v, bool isError, int xf)
{
    return biffRecord(0x0205, u16le(row) + u16le(column) + u16le(xf) + QByteArray(1, char(v)) + QByteArray(1, char(isError)));
}

namespace {

QByteArray bof(unsigned kind) { return biffRecord(0x0809, u16le(0x0600) + u16le(kind) + u16le(0x0DBB) + u16le(0x07CC) + u32le(0) + u32le(6)); }

QByteArray boundSheet(std::uint32_t offset, const QString& name)
{
    QByteArray chars;
    for (QChar c : name) chars += u16le(c.unicode());
    return biffRecord(0x0085, u32le(offset) + QByteArray(2, '\0') + QByteArray(1, char(name.size())) + QByteArray(1, '\x01') + chars);
}

} // namespace

QByteArray biffWorkbook(const std::vector<LegacySheet>& sheets, const QByteArray& globals)
{
    QByteArray head = bof(0x0005) + biffRecord(0x0042, u16le(1200));
    // Fifteen style formats and one cell format, as every writer puts them.
    for (int i = 0; i < 16; ++i) head += biffRecord(0x00E0, u16le(0) + u16le(0) + QByteArray(16, '\0'));
    head += globals;
    qsizetype offset = head.size();
    for (const LegacySheet& s : sheets) offset += boundSheet(0, s.name).size();
    offset += 4; // EOF
    QByteArray bodies;
    QByteArray list;
    for (const LegacySheet& s : sheets) {
        list += boundSheet(static_cast<std::uint32_t>(offset + bodies.size()), s.name);
        bodies += bof(0x0010) + s.records + biffRecord(0x000A, {});
    }
    return head + list + biffRecord(0x000A, {}) + bodies;
}

QByteArray compoundFile(const QByteArray& stream, const QString& streamName)
{
    constexpr int ss = 512;
    QByteArray data = stream;
    if (data.size() < 4096) data += biffRecord(0x1234, QByteArray(4096 - data.size(), '\0')); // past the mini stream cutoff
    const auto size = static_cast<std::uint32_t>(data.size());
    const int streamSectors = static_cast<int>((data.size() + ss - 1) / ss);
    data.append(streamSectors * ss - data.size(), '\0');
    const int perFat = ss / 4;
    const int total = streamSectors + 1; // + directory
    const int fatSectors = (total + perFat) / perFat + 1;
    Q_ASSERT(fatSectors <= 109);
    std::vector<std::uint32_t> fat;
    for (int i = 0; i < streamSectors; ++i) fat.push_back(i + 1 < streamSectors ? i + 1 : 0xFFFFFFFE);
    fat.push_back(0xFFFFFFFE); // directory
    for (int i = 0; i < fatSectors; ++i) fat.push_back(0xFFFFFFFD);
    fat.resize(static_cast<size_t>(fatSectors) * perFat, 0xFFFFFFFF);

    auto entry = [](const QString& name, int type, std::uint32_t start, std::uint32_t size, std::uint32_t child) {
        QByteArray e(128, '\0');
        for (int i = 0; i < name.size(); ++i) qToLittleEndian<quint16>(name[i].unicode(), e.data() + 2 * i);
        qToLittleEndian<quint16>(static_cast<quint16>((name.size() + 1) * 2), e.data() + 64);
        e[66] = char(type);
        e[67] = 1;
        qToLittleEndian<quint32>(0xFFFFFFFF, e.data() + 68);
        qToLittleEndian<quint32>(0xFFFFFFFF, e.data() + 72);
        qToLittleEndian<quint32>(child, e.data() + 76);
        qToLittleEndian<quint32>(start, e.data() + 116);
        qToLittleEndian<quint32>(size, e.data() + 120);
        return e;
    };
    QByteArray directory = entry(QStringLiteral("Root Entry"), 5, 0xFFFFFFFE, 0, 1)
                           + entry(streamName, 2, 0, size, 0xFFFFFFFF);
    directory.append(ss - directory.size(), '\0');

    QByteArray header(ss, '\0');
    std::memcpy(header.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    qToLittleEndian<quint16>(0x3E, header.data() + 24);
    qToLittleEndian<quint16>(3, header.data() + 26);
    qToLittleEndian<quint16>(0xFFFE, header.data() + 28);
    qToLittleEndian<quint16>(9, header.data() + 30);
    qToLittleEndian<quint16>(6, header.data() + 32);
    qToLittleEndian<quint32>(static_cast<quint32>(fatSectors), header.data() + 44);
    qToLittleEndian<quint32>(static_cast<quint32>(streamSectors), header.data() + 48); // directory
    qToLittleEndian<quint32>(4096, header.data() + 56);
    qToLittleEndian<quint32>(0xFFFFFFFE, header.data() + 60);
    qToLittleEndian<quint32>(0xFFFFFFFE, header.data() + 68);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian<quint32>(i < fatSectors ? static_cast<quint32>(streamSectors + 1 + i) : 0xFFFFFFFF, header.data() + 76 + 4 * i);
    QByteArray fatBytes;
    for (std::uint32_t v : fat) fatBytes += u32le(v);
    return header + data + directory + fatBytes;
}

} // namespace testing_support
