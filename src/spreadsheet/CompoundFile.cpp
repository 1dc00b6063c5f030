#include "spreadsheet/CompoundFile.h"

#include "spreadsheet/Error.h"

#include <QtEndian>

namespace spreadsheet {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint64_t kWholeChain = ~std::uint64_t(0);

std::uint16_t u16(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
std::uint32_t u32(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }

[[noreturn]] void broken(const QString& why)
{
    throw Error(QStringLiteral("The legacy workbook's container is damaged: %1.").arg(why));
}

} // namespace

CompoundFile::CompoundFile(const QByteArray& file)
    : file_(file)
{
    if (file.size() < 512 || !file.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) broken(QStringLiteral("no compound document header"));
    const std::uint16_t shift = u16(file, 30);
    if (shift != 9 && shift != 12) broken(QStringLiteral("sector size 2^%1").arg(shift));
    if (u16(file, 32) != 6) broken(QStringLiteral("mini sector size 2^%1").arg(u16(file, 32)));
    sectorSize_ = 1u << shift;
    if (static_cast<std::uint64_t>(file.size()) < sectorSize_) broken(QStringLiteral("a header longer than the file"));
    miniCutoff_ = u32(file, 56);
    const std::uint32_t sectors = sectorCount();
    const std::uint32_t perSector = sectorSize_ / 4;

    // Allocation table sectors: 109 in the header, the rest in a chain of DIFAT sectors.
    const std::uint32_t fatSectors = u32(file, 44);
    if (fatSectors == 0 || fatSectors > sectors) broken(QStringLiteral("%1 allocation table sectors in %2").arg(fatSectors).arg(sectors));
    std::vector<std::uint32_t> fatList;
    fatList.reserve(fatSectors);
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i) fatList.push_back(u32(file, 76 + 4 * i));
    std::uint32_t difat = u32(file, 68);
    std::uint32_t difatCount = 0;
    while (fatList.size() < fatSectors) {
        if (difat >= sectors || ++difatCount > sectors) broken(QStringLiteral("a broken DIFAT chain"));
        const qsizetype base = static_cast<qsizetype>(difat + 1) * sectorSize_;
        if (base + sectorSize_ > file.size()) broken(QStringLiteral("a DIFAT sector past the end"));
        for (std::uint32_t i = 0; i + 1 < perSector && fatList.size() < fatSectors; ++i) fatList.push_back(u32(file, base + 4 * i));
        difat = u32(file, base + 4 * (perSector - 1));
    }
    fat_.reserve(static_cast<size_t>(fatSectors) * perSector);
    for (std::uint32_t s : fatList) {
        if (s >= sectors) broken(QStringLiteral("an allocation table sector %1 outside the file").arg(s));
        const qsizetype base = static_cast<qsizetype>(s + 1) * sectorSize_;
        for (std::uint32_t i = 0; i < perSector; ++i)
            fat_.push_back(base + 4 * i + 4 <= file.size() ? u32(file, base + 4 * i) : kFreeSector);
    }

    // The directory: 128-byte entries.
    const QByteArray directory = readRegular(u32(file, 48), kWholeChain, "directory");
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        Entry e;
        const std::uint16_t nameBytes = u16(directory, at + 64);
        if (nameBytes >= 2 && nameBytes <= 64)
            e.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(directory.constData() + at), nameBytes / 2 - 1);
        e.type = static_cast<std::uint8_t>(directory[at + 66]);
        e.start = u32(directory, at + 116);
        e.size = sectorSize_ == 512 ? u32(directory, at + 120) : qFromLittleEndian<quint64>(directory.constData() + at + 120);
        entries_.push_back(std::move(e));
    }
    if (entries_.empty() || entries_[0].type != 5) broken(QStringLiteral("no root entry"));

    // Small streams live in the root entry's stream, chained through the mini allocation table.
    const std::uint32_t miniFatSectors = u32(file, 64);
    if (miniFatSectors > 0 && entries_[0].size > 0) {
        if (miniFatSectors > sectors) broken(QStringLiteral("%1 mini table sectors").arg(miniFatSectors));
        const QByteArray table = readRegular(u32(file, 60), static_cast<std::uint64_t>(miniFatSectors) * sectorSize_, "mini allocation table");
        miniFat_.reserve(static_cast<size_t>(table.size() / 4));
        for (qsizetype at = 0; at + 4 <= table.size(); at += 4) miniFat_.push_back(u32(table, at));
        miniStream_ = readRegular(entries_[0].start, entries_[0].size, "mini stream");
    }
}

std::uint32_t CompoundFile::sectorCount() const
{
    // A last sector cut short still counts; its missing bytes read as zeros.
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(file_.size()) - sectorSize_ + sectorSize_ - 1) / sectorSize_);
}

std::vector<std::uint32_t> CompoundFile::readChain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::uint64_t limit,
                                                   const char* what) const
{
    std::vector<std::uint32_t> chain;
    for (std::uint32_t s = start; s != kEndOfChain;) {
        if (s >= table.size() || s >= kMaxRegularSector) broken(QStringLiteral("the %1 chain leaves its table").arg(QLatin1String(what)));
        if (chain.size() >= limit) broken(QStringLiteral("the %1 chain runs in a loop or past its stream").arg(QLatin1String(what)));
        chain.push_back(s);
        s = table[s];
    }
    return chain;
}

QByteArray CompoundFile::readRegular(std::uint32_t start, std::uint64_t size, const char* what) const
{
    const std::uint64_t available = static_cast<std::uint64_t>(sectorCount()) * sectorSize_;
    const bool whole = size == kWholeChain;
    if (whole) size = available;
    else if (size > available) broken(QStringLiteral("a %1 of %2 bytes in a file of %3").arg(QLatin1String(what)).arg(size).arg(file_.size()));
    const std::uint64_t needed = (size + sectorSize_ - 1) / sectorSize_;
    // A chain may be longer than its stream, never longer than the file.
    const auto chain = readChain(fat_, start, sectorCount(), what);
    if (!whole && chain.size() < needed) broken(QStringLiteral("the %1 chain is shorter than its stream").arg(QLatin1String(what)));
    QByteArray out;
    out.reserve(static_cast<qsizetype>(std::min<std::uint64_t>(size, static_cast<std::uint64_t>(chain.size()) * sectorSize_)));
    for (std::uint32_t s : chain) {
        if (static_cast<std::uint64_t>(out.size()) >= size) break;
        const qsizetype base = static_cast<qsizetype>(s + 1) * sectorSize_;
        const qsizetype take = static_cast<qsizetype>(std::min<std::uint64_t>(sectorSize_, size - static_cast<std::uint64_t>(out.size())));
        const qsizetype present = std::max<qsizetype>(0, std::min<qsizetype>(take, file_.size() - base));
        out.append(file_.constData() + base, present);
        if (present < take) out.append(take - present, '\0');
    }
    return out;
}

QByteArray CompoundFile::readMini(std::uint32_t start, std::uint64_t size) const
{
    if (size > static_cast<std::uint64_t>(miniStream_.size())) broken(QStringLiteral("a small stream larger than the mini stream"));
    const std::uint64_t needed = (size + kMiniSectorSize - 1) / kMiniSectorSize;
    const auto chain = readChain(miniFat_, start, miniFat_.size(), "mini stream");
    if (chain.size() < needed) broken(QStringLiteral("a small stream's chain is shorter than the stream"));
    QByteArray out;
    out.reserve(static_cast<qsizetype>(size));
    for (std::uint32_t s : chain) {
        if (static_cast<std::uint64_t>(out.size()) >= size) break;
        const qsizetype base = static_cast<qsizetype>(s) * kMiniSectorSize;
        const qsizetype take = static_cast<qsizetype>(std::min<std::uint64_t>(kMiniSectorSize, size - static_cast<std::uint64_t>(out.size())));
        if (base + take > miniStream_.size()) broken(QStringLiteral("a small stream sector outside the mini stream"));
        out.append(miniStream_.constData() + base, take);
    }
    return out;
}

std::optional<QByteArray> CompoundFile::stream(QStringView name) const
{
    for (const Entry& e : entries_) {
        if (e.type != 2 || e.name.compare(name, Qt::CaseInsensitive) != 0) continue;
        if (e.size < miniCutoff_ && !miniFat_.empty()) return readMini(e.start, e.size);
        return readRegular(e.start, e.size, "stream");
    }
    return std::nullopt;
}

} // namespace spreadsheet
