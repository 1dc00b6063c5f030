#include "journal/SessionLock.h"

#include <QFile>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace journal {

#if defined(_WIN32)

namespace {

HANDLE openLockFile(const QString& path, DWORD disposition)
{
    // Every sharing mode: a probe opens the file while its copy holds it.
    return CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool lockNow(HANDLE h)
{
    OVERLAPPED at{};
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

} // namespace

std::unique_ptr<SessionLock> SessionLock::hold(const QString& path)
{
    const HANDLE h = openLockFile(path, CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    if (!lockNow(h)) {
        CloseHandle(h);
        DeleteFileW(reinterpret_cast<const wchar_t*>(path.utf16()));
        return nullptr;
    }
    return std::unique_ptr<SessionLock>(new SessionLock(path, reinterpret_cast<std::intptr_t>(h)));
}

SessionLock::~SessionLock()
{
    const auto h = reinterpret_cast<HANDLE>(handle_);
    DeleteFileW(reinterpret_cast<const wchar_t*>(path_.utf16())); // removed once the handle closes
    CloseHandle(h);
}

bool SessionLock::held(const QString& path)
{
    const HANDLE h = openLockFile(path, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_FILE_NOT_FOUND;
    const bool free = lockNow(h);
    CloseHandle(h); // releases the probe's lock
    return !free;
}

#else

std::unique_ptr<SessionLock> SessionLock::hold(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    // flock, not fcntl: its lock belongs to this open file, so closing a probe of the same
    // file in this process never drops it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::unlink(name.constData());
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SessionLock>(new SessionLock(path, fd));
}

SessionLock::~SessionLock()
{
    // Removed while still locked: a probe that opened it meanwhile finds it free only once
    // this copy has let go.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(int(handle_));
}

bool SessionLock::held(const QString& path)
{
    // Opened for writing: where flock is emulated by record locks (NFS), an exclusive lock needs it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno != ENOENT;
    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    const bool taken = rc != 0;
    ::close(fd); // releases the probe's lock
    return taken;
}

#endif

} // namespace journal
