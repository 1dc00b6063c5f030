#include "spreadsheet/Zip.h"

#include "spreadsheet/Error.h"
#include "spreadsheet/Workers.h"

#include <QFileDevice>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <set>

namespace spreadsheet {

namespace {

QString zipMessage(zip_error_t* e) { return QString::fromUtf8(zip_error_strerror(e)); }

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};

} // namespace

struct ZipArchive::Entry {
    zip_uint64_t index = 0;
    long long compressed = 0;
};

// libzip reads a device through this: seeking and reading, nothing written.
struct ZipArchive::DeviceSource {
    QIODevice& in;
    zip_error_t error;

    explicit DeviceSource(QIODevice& device)
        : in(device)
    {
        zip_error_init(&error);
    }
    ~DeviceSource() { zip_error_fini(&error); }

    zip_int64_t fail(int code)
    {
        zip_error_set(&error, code, 0);
        return -1;
    }

    static zip_int64_t command(void* self, void* data, zip_uint64_t length, zip_source_cmd_t cmd)
    {
        auto* d = static_cast<DeviceSource*>(self);
        switch (cmd) {
        case ZIP_SOURCE_OPEN: return d->in.seek(0) ? 0 : d->fail(ZIP_ER_SEEK);
        case ZIP_SOURCE_READ: {
            const qint64 n = d->in.read(static_cast<char*>(data), static_cast<qint64>(length));
            return n < 0 ? d->fail(ZIP_ER_READ) : n;
        }
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t)) return d->fail(ZIP_ER_INVAL);
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = static_cast<zip_uint64_t>(d->in.size());
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t offset = zip_source_seek_compute_offset(static_cast<zip_uint64_t>(d->in.pos()),
                                                                      static_cast<zip_uint64_t>(d->in.size()), data, length, &d->error);
            if (offset < 0) return -1;
            return d->in.seek(offset) ? 0 : d->fail(ZIP_ER_SEEK);
        }
        case ZIP_SOURCE_TELL: return d->in.pos();
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&d->error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
                                                  ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
        default: return d->fail(ZIP_ER_OPNOTSUPP);
        }
    }
};

namespace {

// The source `make` creates, or an error with libzip's reason.
template <class Make>
zip_source_t* madeSource(Make&& make)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = make(&error);
    const QString reason = source ? QString() : zipMessage(&error);
    zip_error_fini(&error);
    if (!source) throw Error(QStringLiteral("The package cannot be read: %1").arg(reason));
    return source;
}

} // namespace

ZipArchive::ZipArchive(const char* data, qsizetype size, const ZipLimits& limits)
{
    open(madeSource([&](zip_error_t* error) { return zip_source_buffer_create(data, static_cast<zip_uint64_t>(size), 0, error); }),
         limits);
}

ZipArchive::ZipArchive(QIODevice& device, const ZipLimits& limits)
    : device_(std::make_unique<DeviceSource>(device))
{
    open(madeSource([&](zip_error_t* error) { return zip_source_function_create(&DeviceSource::command, device_.get(), error); }),
         limits);
}

void ZipArchive::open(void* from, const ZipLimits& limits)
{
    limits_ = limits;
    auto* source = static_cast<zip_source_t*>(from);
    zip_error_t error;
    zip_error_init(&error);
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

    std::set<std::string> names;
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
        names_.push_back(name);
        entries_.push_back({static_cast<zip_uint64_t>(i), (st.valid & ZIP_STAT_COMP_SIZE) ? static_cast<long long>(st.comp_size) : 0});
    }
    zip_ = zip.release();
}

ZipArchive::~ZipArchive()
{
    if (zip_) zip_discard(static_cast<zip_t*>(zip_));
}

bool ZipArchive::contains(const std::string& name) const { return std::find(names_.begin(), names_.end(), name) != names_.end(); }

void ZipArchive::read(const std::string& name, const std::function<bool(const char*, qsizetype)>& piece)
{
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end()) throw Error(QStringLiteral("The package has no entry %1.").arg(QString::fromStdString(name)));
    const Entry& e = entries_[static_cast<size_t>(found - names_.begin())];
    auto* zip = static_cast<zip_t*>(zip_);
    std::unique_lock<std::mutex> lock(lock_);
    zip_file_t* const opened = zip_fopen_index(zip, e.index, 0);
    if (!opened)
        throw Error(QStringLiteral("The package entry %1 cannot be opened: %2").arg(QString::fromStdString(name), QString::fromUtf8(zip_strerror(zip))));
    // Closed under the lock on every way out, a piece's exception included.
    struct Closer {
        std::unique_lock<std::mutex>& lock;
        zip_file_t* file;
        ~Closer()
        {
            if (!lock.owns_lock()) lock.lock();
            zip_fclose(file);
        }
    } file{lock, opened};
    std::vector<char> buffer(64 * 1024);
    long long size = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(file.file, buffer.data(), buffer.size());
        if (n < 0)
            throw Error(QStringLiteral("The package entry %1 is corrupt: %2").arg(QString::fromStdString(name), QString::fromUtf8(zip_file_strerror(file.file))));
        if (n == 0) break;
        size += n;
        total_ += n;
        if (size > limits_.maxEntrySize)
            throw Error(QStringLiteral("The package entry %1 unpacks to more than %2 bytes.").arg(QString::fromStdString(name)).arg(limits_.maxEntrySize));
        if (total_ > limits_.maxTotalSize) throw Error(QStringLiteral("The package unpacks to more than %1 bytes.").arg(limits_.maxTotalSize));
        if (size > limits_.ratioFloor && size > (e.compressed + 1) * limits_.maxRatio)
            throw Error(QStringLiteral("The package entry %1 inflates beyond %2 times its packed size.").arg(QString::fromStdString(name)).arg(limits_.maxRatio));
        lock.unlock();
        const bool more = piece(buffer.data(), static_cast<qsizetype>(n));
        lock.lock();
        if (!more) break;
    }
}

QByteArray ZipArchive::readAll(const std::string& name)
{
    QByteArray data;
    read(name, [&](const char* p, qsizetype n) {
        data.append(p, n);
        return true;
    });
    return data;
}

std::vector<ZipEntry> readZip(const QByteArray& archive, const ZipLimits& limits)
{
    ZipArchive zip(archive.constData(), archive.size(), limits);
    std::vector<ZipEntry> entries;
    entries.reserve(zip.names().size());
    for (const std::string& name : zip.names()) entries.push_back({name, zip.readAll(name)});
    return entries;
}

// libzip writes through this device: sequentially, seeking back to complete each entry's header.
struct ZipWriter::Device {
    QIODevice& out;
    zip_error_t error;
    QString failure; // the first write that failed, and why
    int failureError = 0; // its system error number
    qint64 start = 0;

    explicit Device(QIODevice& o)
        : out(o)
    {
        zip_error_init(&error);
        start = out.pos();
    }
    ~Device() { zip_error_fini(&error); }

    zip_int64_t fail(int code)
    {
        zip_error_set(&error, code, 0);
        return -1;
    }

    zip_int64_t write(const void* data, zip_uint64_t length)
    {
        errno = 0;
        const qint64 n = out.write(static_cast<const char*>(data), static_cast<qint64>(length));
        if (n != static_cast<qint64>(length)) return failed(ZIP_ER_WRITE);
        return static_cast<zip_int64_t>(length);
    }

    // A buffered write fails when it is flushed, often by a seek: keep the first reason either way.
    zip_int64_t failed(int code)
    {
        // The device's own text for a failed write is often just "Unknown error"; the system's is not.
        const int reason = errno;
        if (failure.isEmpty()) {
            failure = reason ? QString::fromLocal8Bit(std::strerror(reason)) : out.errorString();
            failureError = reason;
        }
        return fail(code);
    }

    static zip_int64_t command(void* self, void* data, zip_uint64_t length, zip_source_cmd_t cmd)
    {
        auto* d = static_cast<Device*>(self);
        switch (cmd) {
        case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_STAT: { // an empty archive: there is nothing to read, the archive is new
            if (length < sizeof(zip_stat_t)) return d->fail(ZIP_ER_INVAL);
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = 0;
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_TELL:
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE: return 0;
        case ZIP_SOURCE_WRITE: return d->write(data, length);
        case ZIP_SOURCE_TELL_WRITE: return d->out.pos() - d->start;
        case ZIP_SOURCE_SEEK_WRITE: {
            // Written so far must have reached the file before its size means anything.
            errno = 0;
            if (auto* file = qobject_cast<QFileDevice*>(&d->out); file && !file->flush()) return d->failed(ZIP_ER_WRITE);
            const zip_int64_t offset = zip_source_seek_compute_offset(static_cast<zip_uint64_t>(d->out.pos() - d->start),
                                                                      static_cast<zip_uint64_t>(d->out.size() - d->start), data, length, &d->error);
            if (offset < 0) return -1;
            if (!d->out.seek(d->start + offset)) return d->failed(ZIP_ER_SEEK);
            return 0;
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&d->error, data, length);
        default: return d->fail(ZIP_ER_OPNOTSUPP);
        }
    }
};

namespace {

// 1980-01-01, the earliest date a zip entry can carry.
time_t fixedEntryTime()
{
    std::tm t{};
    t.tm_year = 80;
    t.tm_mon = 0;
    t.tm_mday = 1;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

zip_t* archiveOf(void* a) { return static_cast<zip_t*>(a); }

} // namespace

DeflatedPart deflatePart(const QByteArray& data, int level)
{
    // The zip library's own settings: raw deflate, its largest window and memory level.
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
    const struct End {
        z_stream& z;
        ~End() { deflateEnd(&z); }
    } end{z};
    std::vector<unsigned char> out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw Error(QStringLiteral("A part of %1 bytes could not be deflated.").arg(data.size()));
    DeflatedPart part;
    part.bytes = QByteArray(reinterpret_cast<const char*>(out.data()), static_cast<qsizetype>(z.total_out)); // its own size, not the bound's
    part.crc = static_cast<quint32>(crc32_z(0, reinterpret_cast<const Bytef*>(data.constData()), static_cast<size_t>(data.size())));
    part.size = data.size();
    return part;
}

QByteArray inflatePart(const DeflatedPart& part)
{
    QByteArray data(part.size, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.bytes.constData()));
    z.avail_in = static_cast<uInt>(part.bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(data.data());
    z.avail_out = static_cast<uInt>(data.size());
    const int status = inflate(&z, Z_FINISH);
    const bool whole = status == Z_STREAM_END && z.total_out == static_cast<uLong>(part.size);
    inflateEnd(&z);
    if (!whole || crc32_z(0, reinterpret_cast<const Bytef*>(data.constData()), static_cast<size_t>(data.size())) != part.crc)
        throw Error(QStringLiteral("A deflated part does not unpack to the data it was made from."));
    return data;
}

// An entry until the archive is written: its data to be deflated, or its deflated bytes, which
// libzip reads through the source below as they are (no second compression).
struct ZipWriter::Entry {
    std::string name;
    QByteArray plain;
    DeflatedPart deflated;
    bool isDeflated = false;
    zip_uint16_t purposeFlags = 0; // the general purpose bits libzip's deflate sets for its level
    qint64 position = 0;
    zip_error_t error;

    Entry() { zip_error_init(&error); }
    ~Entry() { zip_error_fini(&error); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    static zip_int64_t command(void* self, void* data, zip_uint64_t length, zip_source_cmd_t cmd)
    {
        auto* e = static_cast<Entry*>(self);
        switch (cmd) {
        case ZIP_SOURCE_OPEN: e->position = 0; return 0;
        case ZIP_SOURCE_READ: {
            const auto n = std::min<zip_uint64_t>(length, static_cast<zip_uint64_t>(e->deflated.bytes.size() - e->position));
            std::memcpy(data, e->deflated.bytes.constData() + e->position, n);
            e->position += static_cast<qint64>(n);
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &e->error);
            if (!st) return -1;
            zip_stat_init(st);
            st->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
            st->size = static_cast<zip_uint64_t>(e->deflated.size);
            st->comp_size = static_cast<zip_uint64_t>(e->deflated.bytes.size());
            st->comp_method = ZIP_CM_DEFLATE;
            st->crc = e->deflated.crc;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
            auto* a = ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, length, &e->error);
            if (!a) return -1;
            a->valid |= ZIP_FILE_ATTRIBUTES_VERSION_NEEDED | ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
            a->version_needed = 20; // deflate
            a->general_purpose_bit_flags = e->purposeFlags;
            a->general_purpose_bit_mask = 0x0006; // the compression option bits
            return 0;
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&e->error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
                                                  ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
        default: zip_error_set(&e->error, ZIP_ER_OPNOTSUPP, 0); return -1;
        }
    }
};

ZipWriter::ZipWriter(QIODevice& out, int level)
    : device_(std::make_unique<Device>(out))
    , level_(level)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&Device::command, device_.get(), &error);
    if (source) {
        archive_ = zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!archive_) zip_source_free(source);
    }
    const QString message = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    if (!archive_) throw Error(QStringLiteral("The package cannot be written: %1").arg(message));
}

ZipWriter::~ZipWriter()
{
    if (archive_) zip_discard(archiveOf(archive_));
}

void ZipWriter::add(const std::string& name, const QByteArray& data)
{
    if (!archive_) throw Error(QStringLiteral("The package has been written already."));
    Entry& e = entries_.emplace_back();
    e.name = name;
    e.plain = data;
}

void ZipWriter::add(const std::string& name, const char* data, size_t size)
{
    add(name, QByteArray(data, static_cast<qsizetype>(size)));
}

void ZipWriter::add(const std::string& name, const DeflatedPart& deflated)
{
    if (!archive_) throw Error(QStringLiteral("The package has been written already."));
    Entry& e = entries_.emplace_back();
    e.name = name;
    e.deflated = deflated;
    e.isDeflated = true;
}

void ZipWriter::finish()
{
    if (!archive_) throw Error(QStringLiteral("The package has been written already."));
    zip_t* zip = archiveOf(archive_);
    // Every entry with data is deflated first, the entries at the same time; an empty one is left
    // to libzip, which writes it as it always has.
    std::vector<Entry*> toDeflate;
    if (level_ > 0)
        for (Entry& e : entries_)
            if (!e.isDeflated && !e.plain.isEmpty()) toDeflate.push_back(&e);
    forEachIndex(static_cast<int>(toDeflate.size()), [&](int i) {
        Entry& e = *toDeflate[static_cast<size_t>(i)];
        e.deflated = deflatePart(e.plain, level_);
        e.isDeflated = true;
        e.plain = QByteArray();
    });
    for (Entry& e : entries_) {
        e.purposeFlags = level_ < 3 ? 2 << 1 : level_ > 7 ? 1 << 1 : 0;
        zip_source_t* source = nullptr;
        if (e.isDeflated) {
            zip_error_t error;
            zip_error_init(&error);
            source = zip_source_function_create(&Entry::command, &e, &error);
            zip_error_fini(&error);
        } else {
            source = zip_source_buffer(zip, e.plain.constData(), static_cast<zip_uint64_t>(e.plain.size()), 0);
        }
        const zip_int64_t index = source ? zip_file_add(zip, e.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            throw Error(QStringLiteral("The part %1 cannot be added to the package: %2").arg(QString::fromStdString(e.name), QString::fromUtf8(zip_strerror(zip))));
        }
        const auto i = static_cast<zip_uint64_t>(index);
        // Deflated entries keep their method from their source; the others are stored or deflated by libzip.
        if ((!e.isDeflated && zip_set_file_compression(zip, i, level_ > 0 ? ZIP_CM_DEFLATE : ZIP_CM_STORE, static_cast<zip_uint32_t>(std::max(level_, 0))) != 0)
            || zip_file_set_mtime(zip, i, fixedEntryTime(), 0) != 0)
            throw Error(QStringLiteral("The part %1 cannot be added to the package: %2").arg(QString::fromStdString(e.name), QString::fromUtf8(zip_strerror(zip))));
    }
    if (zip_close(zip) != 0) {
        const QString reason = !device_->failure.isEmpty() ? device_->failure : QString::fromUtf8(zip_strerror(zip));
        throw Error(QStringLiteral("writing failed: %1").arg(reason), device_->failureError); // the destructor discards the archive
    }
    archive_ = nullptr;
    entries_.clear();
}

} // namespace spreadsheet
