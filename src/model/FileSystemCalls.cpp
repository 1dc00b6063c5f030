#include "model/FileSystemCalls.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace model::fs {

#ifdef _WIN32

namespace {

// Windows keeps no POSIX owner or mode: every file is taken as the user's own, and a link is
// whatever is a reparse point (a symbolic link or a junction).
std::wstring wide(const QString& path) { return QDir::toNativeSeparators(path).toStdWString(); }

int errorOf(DWORD code)
{
    switch (code) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    default: return EIO;
    }
}

Entry entryAt(const std::wstring& path)
{
    Entry e;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return e;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) e.type = EntryType::Link;
    else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) e.type = EntryType::Folder;
    else e.type = EntryType::File;
    e.ownedByUser = true;
    e.writable = !(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    e.permissions = e.writable ? 0666 : 0444;
    const quint64 ticks = (quint64(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    e.modifiedSeconds = qint64((ticks - 116444736000000000ULL) / 10000000ULL);
    return e;
}

} // namespace

Folder::Folder(const QString& path)
    : path_(path)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) error_ = errorOf(GetLastError());
    else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) error_ = ENOTDIR;
}

Folder::~Folder() = default;

Entry Folder::entry(const QString& name) const { return entryAt(wide(path_ + u'/' + name)); }

int Folder::createNew(const QString& name, bool, int& error) const
{
    int handle = -1;
    error = _wsopen_s(&handle, wide(path_ + u'/' + name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                      _SH_DENYNO, _S_IREAD | _S_IWRITE);
    return error ? -1 : handle;
}

int Folder::openToRead(const QString& name, int& error) const
{
    if (entry(name).type != EntryType::File) {
        error = ENOENT;
        return -1;
    }
    int handle = -1;
    error = _wsopen_s(&handle, wide(path_ + u'/' + name).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0);
    return error ? -1 : handle;
}

int Folder::replace(const QString& from, const QString& to) const
{
    if (MoveFileExW(wide(path_ + u'/' + from).c_str(), wide(path_ + u'/' + to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return errorOf(GetLastError());
}

int Folder::moveToNew(const QString& from, const QString& to) const
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExW(wide(path_ + u'/' + from).c_str(), wide(path_ + u'/' + to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
    return errorOf(GetLastError());
}

int Folder::remove(const QString& name) const
{
    return DeleteFileW(wide(path_ + u'/' + name).c_str()) ? 0 : errorOf(GetLastError());
}

void Folder::sync() const {}

int syncFile(int handle) { return _commit(handle) == 0 ? 0 : errno; }

int setPermissions(int, unsigned) { return 0; }

FileId fileId(int handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(handle)), &info)) return {};
    return {info.dwVolumeSerialNumber, (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

int copyContent(int from, int to)
{
    if (_lseeki64(from, 0, SEEK_SET) < 0) return errno;
    char buffer[65536];
    for (;;) {
        const int got = _read(from, buffer, sizeof buffer);
        if (got < 0) return errno;
        if (got == 0) return 0;
        if (_write(to, buffer, unsigned(got)) != got) return errno ? errno : ENOSPC;
    }
}

void closeFile(int handle) { _close(handle); }

Entry pathEntry(const QString& path) { return entryAt(wide(path)); }

int makeOwnPrivateFolder(const QString& path)
{
    if (!CreateDirectoryW(wide(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return errorOf(GetLastError());
    const Entry e = pathEntry(path);
    return e.type == EntryType::Folder ? 0 : EEXIST;
}

int makeOwnPrivateFile(const QString& path)
{
    const Entry e = pathEntry(path);
    if (e.type == EntryType::File) return 0;
    if (e.type != EntryType::None) return EEXIST;
    int handle = -1;
    const int error = _wsopen_s(&handle, wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                                _S_IREAD | _S_IWRITE);
    if (error) return error;
    _close(handle);
    return 0;
}

#else

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

Entry entryOf(const struct stat& st)
{
    Entry e;
    if (S_ISLNK(st.st_mode)) e.type = EntryType::Link;
    else if (S_ISREG(st.st_mode)) e.type = EntryType::File;
    else if (S_ISDIR(st.st_mode)) e.type = EntryType::Folder;
    else e.type = EntryType::Other;
    e.ownedByUser = st.st_uid == ::geteuid();
    e.permissions = unsigned(st.st_mode & 07777);
    e.modifiedSeconds = qint64(st.st_mtim.tv_sec);
    e.id = {quint64(st.st_dev), quint64(st.st_ino)};
    return e;
}

// The system's refusal of an operation the file system does not offer (as opposed to a
// refusal of this particular call).
bool unsupported(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP; }

} // namespace

Folder::Folder(const QString& path)
{
    fd_ = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) error_ = errno;
}

Folder::~Folder()
{
    if (fd_ >= 0) ::close(fd_);
}

Entry Folder::entry(const QString& name) const
{
    struct stat st;
    const QByteArray n = native(name);
    if (::fstatat(fd_, n.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return {};
    Entry e = entryOf(st);
    e.writable = e.type == EntryType::File && ::faccessat(fd_, n.constData(), W_OK, AT_EACCESS) == 0;
    return e;
}

int Folder::createNew(const QString& name, bool ownerOnly, int& error) const
{
    // O_EXCL alone already refuses a link at the name; O_NOFOLLOW says so twice.
    const int fd = ::openat(fd_, native(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            ownerOnly ? 0600 : 0666);
    error = fd < 0 ? errno : 0;
    return fd;
}

int Folder::openToRead(const QString& name, int& error) const
{
    const int fd = ::openat(fd_, native(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    error = fd < 0 ? errno : 0;
    return fd;
}

int Folder::replace(const QString& from, const QString& to) const
{
    return ::renameat(fd_, native(from).constData(), fd_, native(to).constData()) == 0 ? 0 : errno;
}

int Folder::moveToNew(const QString& from, const QString& to) const
{
    const QByteArray f = native(from), t = native(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(fd_, f.constData(), fd_, t.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno == EEXIST) return EEXIST;
    if (!unsupported(errno)) return errno;
#endif
    // A second name for the file, made only where none is, then the first name removed.
    if (::linkat(fd_, f.constData(), fd_, t.constData(), 0) == 0) {
        ::unlinkat(fd_, f.constData(), 0);
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    return errno == EPERM || errno == EMLINK || unsupported(errno) ? ENOTSUP : errno;
}

int Folder::remove(const QString& name) const { return ::unlinkat(fd_, native(name).constData(), 0) == 0 ? 0 : errno; }

void Folder::sync() const
{
    if (fd_ >= 0) ::fsync(fd_);
}

int syncFile(int handle) { return ::fsync(handle) == 0 ? 0 : errno; }

int setPermissions(int handle, unsigned permissions) { return ::fchmod(handle, mode_t(permissions)) == 0 ? 0 : errno; }

FileId fileId(int handle)
{
    struct stat st;
    if (::fstat(handle, &st) != 0) return {};
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

int copyContent(int from, int to)
{
    if (::lseek(from, 0, SEEK_SET) < 0) return errno;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer + done, size_t(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += put;
        }
    }
}

void closeFile(int handle) { ::close(handle); }

Entry pathEntry(const QString& path)
{
    struct stat st;
    const QByteArray p = native(path);
    if (::lstat(p.constData(), &st) != 0) return {};
    Entry e = entryOf(st);
    e.writable = e.type == EntryType::File && ::faccessat(AT_FDCWD, p.constData(), W_OK, AT_EACCESS) == 0;
    return e;
}

int makeOwnPrivateFolder(const QString& path)
{
    const QByteArray p = native(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST) return errno;
    const int fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno == ELOOP || errno == ENOTDIR ? EEXIST : errno;
    struct stat st;
    int result = 0;
    if (::fstat(fd, &st) != 0) result = errno;
    else if (st.st_uid != ::geteuid()) result = EPERM;
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, st.st_mode & 07700) != 0) result = errno;
    ::close(fd);
    return result;
}

int makeOwnPrivateFile(const QString& path)
{
    // Non-blocking: a pipe planted at the name must not hang the open.
    const int fd = ::open(native(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return errno == ELOOP ? EEXIST : errno;
    struct stat st;
    int result = 0;
    if (::fstat(fd, &st) != 0) result = errno;
    else if (!S_ISREG(st.st_mode)) result = EEXIST;
    else if (st.st_uid != ::geteuid()) result = EPERM;
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) result = errno;
    ::close(fd);
    return result;
}

#endif

} // namespace model::fs
