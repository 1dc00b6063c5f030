#pragma once
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace spreadsheet {

// A compound document, the container of legacy .xls workbooks: a small file system of sectors
// chained through an allocation table. Every chain is checked as it is followed — sector numbers
// inside the file, no loops, long enough for its stream — so a corrupt or hostile file is
// refused with spreadsheet::Error and nothing is ever sized from its claims alone.
class CompoundFile {
public:
    // Throws spreadsheet::Error when the header or the allocation tables are not sound.
    explicit CompoundFile(const QByteArray& file);

    // The contents of the first stream with this name (compared without regard to case);
    // nullopt when there is none. Throws spreadsheet::Error for a broken chain.
    std::optional<QByteArray> stream(QStringView name) const;

private:
    struct Entry {
        QString name;
        std::uint8_t type = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };
    std::vector<std::uint32_t> readChain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::uint64_t limit,
                                         const char* what) const;
    QByteArray readRegular(std::uint32_t start, std::uint64_t size, const char* what) const;
    QByteArray readMini(std::uint32_t start, std::uint64_t size) const;
    std::uint32_t sectorCount() const;

    const QByteArray& file_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    QByteArray miniStream_;
    std::vector<Entry> entries_;
};

} // namespace spreadsheet
