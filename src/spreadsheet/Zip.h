#pragma once
#include <QByteArray>
#include <QIODevice>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace spreadsheet {

// Bounds on what one package may unpack to; a file above them is refused, never inflated.
struct ZipLimits {
    int maxEntries = 4096;
    long long maxEntrySize = 128LL << 20;  // uncompressed bytes of one entry
    long long maxTotalSize = 256LL << 20;  // uncompressed bytes of all entries
    long long maxRatio = 250;              // uncompressed : compressed, checked once past ratioFloor
    long long ratioFloor = 1LL << 20;
};

struct ZipEntry {
    std::string name;
    QByteArray data;
};

// A zip archive held in memory (the bytes must outlive it) or read from a device (which must
// stay open while the archive is read), its entries read on demand. Opening checks the
// directory: the entry count, names given twice, encryption and compression methods. What is
// read of the entries counts against the size limits; entries never read cost nothing, and of a
// device only the directory and the entries read are read. Several threads may read entries at
// once: the archive is used by one at a time, each piece handed over outside that lock.
class ZipArchive {
public:
    ZipArchive(const char* data, qsizetype size, const ZipLimits& limits = {});
    explicit ZipArchive(QIODevice& device, const ZipLimits& limits = {});
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // File entries in archive order.
    const std::vector<std::string>& names() const { return names_; }
    bool contains(const std::string& name) const;
    // Inflates an entry piece by piece; `piece` returns false to stop early, and the rest of the
    // entry is never inflated.
    void read(const std::string& name, const std::function<bool(const char* data, qsizetype size)>& piece);
    QByteArray readAll(const std::string& name);

    struct DeviceSource; // what libzip reads a device through

private:
    struct Entry;
    void open(void* source, const ZipLimits& limits);
    std::unique_ptr<DeviceSource> device_;
    void* zip_ = nullptr;
    ZipLimits limits_;
    std::vector<std::string> names_;
    std::vector<Entry> entries_; // by name order of names_
    long long total_ = 0;
    std::mutex lock_; // the zip library's archive and the device belong to one reader at a time
};

// Unpacks every file entry of a zip archive held in memory. Throws spreadsheet::Error for a
// corrupt or truncated archive, encryption, unknown compression or an entry over the limits.
std::vector<ZipEntry> readZip(const QByteArray& archive, const ZipLimits& limits = {});

// An entry's data deflated ahead of writing, as a zip entry holds it (raw deflate): the bytes, and
// the size and CRC-32 of the data they unpack to.
struct DeflatedPart {
    QByteArray bytes;
    quint32 crc = 0;
    qint64 size = 0;
};

// The level packages are written at: the fastest, as files written for exchange need no more.
inline constexpr int kPackageLevel = 1;

// Deflates data as ZipWriter deflates its entries at that level: the same bytes, made wherever
// the data is, on any thread.
DeflatedPart deflatePart(const QByteArray& data, int level = kPackageLevel);
// The data again; throws spreadsheet::Error when the bytes do not unpack to it.
QByteArray inflatePart(const DeflatedPart& part);

// Writes a zip archive with libzip onto a device: entries deflated (at `level`, 1 for speed;
// 0 stores them), UTF-8 names, a fixed date so the same workbook gives the same bytes. The data
// added is held until finish() writes everything; the entries not deflated yet are deflated then,
// on every core. A device that fails to take the bytes throws spreadsheet::Error with the
// system's reason.
class ZipWriter {
public:
    explicit ZipWriter(QIODevice& out, int level = kPackageLevel);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    void add(const std::string& name, const QByteArray& data);
    void add(const std::string& name, const char* data, size_t size);
    // An entry deflated already by deflatePart at the writer's level (not 0); written as it is.
    void add(const std::string& name, const DeflatedPart& deflated);
    void finish();

    struct Device; // what libzip writes through
    struct Entry;  // an entry until it is written

private:
    std::unique_ptr<Device> device_;
    void* archive_ = nullptr;
    int level_;
    std::deque<Entry> entries_; // in place until the archive is written: libzip reads them then
};

} // namespace spreadsheet
