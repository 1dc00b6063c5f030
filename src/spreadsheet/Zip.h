#pragma once
#include <QByteArray>
#include <QIODevice>
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

// Unpacks every file entry of a zip archive held in memory. Throws spreadsheet::Error for a
// corrupt or truncated archive, encryption, unknown compression or an entry over the limits.
std::vector<ZipEntry> readZip(const QByteArray& archive, const ZipLimits& limits = {});

// Writes a zip archive entry by entry (deflated, UTF-8 names) onto a device.
class ZipWriter {
public:
    explicit ZipWriter(QIODevice& out, int level = 1);
    void add(const std::string& name, const QByteArray& data);
    void add(const std::string& name, const char* data, size_t size);
    void finish();

private:
    struct Central {
        std::string name;
        unsigned crc;
        unsigned long long compressed, size, offset;
    };
    void write(const void* data, size_t size);
    QIODevice& out_;
    int level_;
    unsigned long long offset_ = 0;
    std::vector<Central> entries_;
};

} // namespace spreadsheet
