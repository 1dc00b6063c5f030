#include "spreadsheet/Zip.h"

#include "spreadsheet/Error.h"

#include <zip.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

namespace spreadsheet {

namespace {

QString zipMessage(zip_error_t* e) { return QString::fromUtf8(zip_error_strerror(e)); }

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

} // namespace

std::vector<ZipEntry> readZip(const QByteArray& archive, const ZipLimits& limits)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive.constData(), static_cast<zip_uint64_t>(archive.size()), 0, &error);
    if (!source) {
        const QString m = zipMessage(&error);
        zip_error_fini(&error);
        throw Error(QStringLiteral("The package cannot be read: %1").arg(m));
    }
    std::unique_ptr<zip_t, ArchiveCloser> zip(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        zip_source_free(source);
        const QString m = zipMessage(&error);
        zip_error_fini(&error);
        throw Error(QStringLiteral("The file is not a readable zip package: %1").arg(m));
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    if (count < 0 || count > limits.maxEntries)
        throw Error(QStringLiteral("The package holds too many entries (%1; at most %2 are accepted).").arg(count).arg(limits.maxEntries));

    std::vector<ZipEntry> entries;
    std::set<std::string> names;
    long long total = 0;
    std::vector<char> buffer(64 * 1024);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            throw Error(QStringLiteral("The package's directory is corrupt."));
        const std::string name = st.name;
        if (!name.empty() && name.back() == '/') continue; // folder entry
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            throw Error(QStringLiteral("The package is encrypted."));
        if ((st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method != ZIP_CM_STORE && st.comp_method != ZIP_CM_DEFLATE)
            throw Error(QStringLiteral("The package uses an unsupported compression method."));
        if (!names.insert(name).second) throw Error(QStringLiteral("The package holds the entry %1 twice.").arg(QString::fromStdString(name)));
        const long long compressed = (st.valid & ZIP_STAT_COMP_SIZE) ? static_cast<long long>(st.comp_size) : 0;

        std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(i), 0));
        if (!file)
            throw Error(QStringLiteral("The package entry %1 cannot be opened: %2")
                            .arg(QString::fromStdString(name), QString::fromUtf8(zip_strerror(zip.get()))));
        ZipEntry entry;
        entry.name = name;
        long long size = 0;
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
            if (n < 0)
                throw Error(QStringLiteral("The package entry %1 is corrupt: %2")
                                .arg(QString::fromStdString(name), QString::fromUtf8(zip_file_strerror(file.get()))));
            if (n == 0) break;
            size += n;
            total += n;
            if (size > limits.maxEntrySize)
                throw Error(QStringLiteral("The package entry %1 unpacks to more than %2 bytes.").arg(QString::fromStdString(name)).arg(limits.maxEntrySize));
            if (total > limits.maxTotalSize)
                throw Error(QStringLiteral("The package unpacks to more than %1 bytes.").arg(limits.maxTotalSize));
            if (size > limits.ratioFloor && size > (compressed + 1) * limits.maxRatio)
                throw Error(QStringLiteral("The package entry %1 inflates beyond %2 times its packed size.").arg(QString::fromStdString(name)).arg(limits.maxRatio));
            entry.data.append(buffer.data(), static_cast<qsizetype>(n));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

namespace {

void put16(std::string& s, unsigned v)
{
    s.push_back(char(v & 0xff));
    s.push_back(char((v >> 8) & 0xff));
}
void put32(std::string& s, unsigned long long v)
{
    for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xff));
}

constexpr unsigned kDosTime = 0;
constexpr unsigned kDosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01
constexpr unsigned long long kMax32 = 0xffffffffULL;

} // namespace

ZipWriter::ZipWriter(QIODevice& out, int level)
    : out_(out)
    , level_(level)
{
}

void ZipWriter::write(const void* data, size_t size)
{
    if (size == 0) return;
    errno = 0;
    if (out_.write(static_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size)) {
        // The device's own text for a failed write is often just "Unknown error"; the system's is not.
        const int reason = errno;
        throw Error(QStringLiteral("writing failed: %1").arg(reason ? QString::fromLocal8Bit(std::strerror(reason)) : out_.errorString()));
    }
    offset_ += size;
}

void ZipWriter::add(const std::string& name, const QByteArray& data)
{
    add(name, data.constData(), static_cast<size_t>(data.size()));
}

void ZipWriter::add(const std::string& name, const char* data, size_t size)
{
    if (size >= kMax32) throw Error(QStringLiteral("A workbook part is too large to be written."));
    const unsigned crc = static_cast<unsigned>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));

    z_stream z{};
    if (deflateInit2(&z, level_, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw Error(QStringLiteral("The compressor cannot be started."));
    std::string packed;
    packed.resize(deflateBound(&z, static_cast<uLong>(size)));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    const int rc = deflate(&z, Z_FINISH);
    const size_t compressed = packed.size() - z.avail_out;
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw Error(QStringLiteral("Compressing a workbook part failed."));
    if (offset_ >= kMax32) throw Error(QStringLiteral("The workbook is too large to be written."));

    std::string header;
    put32(header, 0x04034b50);
    put16(header, 20);
    put16(header, 0x0800);
    put16(header, 8);
    put16(header, kDosTime);
    put16(header, kDosDate);
    put32(header, crc);
    put32(header, compressed);
    put32(header, size);
    put16(header, static_cast<unsigned>(name.size()));
    put16(header, 0);
    header += name;
    entries_.push_back({name, crc, compressed, size, offset_});
    write(header.data(), header.size());
    write(packed.data(), compressed);
}

void ZipWriter::finish()
{
    if (entries_.size() > 0xffff || offset_ >= kMax32) throw Error(QStringLiteral("The workbook is too large to be written."));
    std::string dir;
    for (const Central& e : entries_) {
        put32(dir, 0x02014b50);
        put16(dir, 20);
        put16(dir, 20);
        put16(dir, 0x0800);
        put16(dir, 8);
        put16(dir, kDosTime);
        put16(dir, kDosDate);
        put32(dir, e.crc);
        put32(dir, e.compressed);
        put32(dir, e.size);
        put16(dir, static_cast<unsigned>(e.name.size()));
        put16(dir, 0);
        put16(dir, 0);
        put16(dir, 0);
        put16(dir, 0);
        put32(dir, 0);
        put32(dir, e.offset);
        dir += e.name;
    }
    const unsigned long long dirOffset = offset_;
    write(dir.data(), dir.size());
    std::string end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, static_cast<unsigned>(entries_.size()));
    put16(end, static_cast<unsigned>(entries_.size()));
    put32(end, dir.size());
    put32(end, dirOffset);
    put16(end, 0);
    write(end.data(), end.size());
}

} // namespace spreadsheet
