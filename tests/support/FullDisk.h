// A disk with no room left, for the tests of what a full disk does. Where the system lets the
// test program (the administrator may), it runs in a mount namespace of its own, entered in
// main() before any thread starts; a test then mounts a small tmpfs over a folder of its own,
// which no other process sees and which goes with the test process. Elsewhere the file-size
// limit of the process stands in: every write beyond `room` bytes in one file fails.
#pragma once
#include <QDir>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace testing_support {

inline bool& ownMountNamespace()
{
    static bool own = false;
    return own;
}

// Called first thing in a test program's main(), while it has one thread.
inline void enterOwnMountNamespace()
{
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0) return;
    // Mounts made here must not reach the system's namespace.
    ownMountNamespace() = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// Runs `work` on a disk that takes no more than `bytes` from this process in one file: a write
// beyond fails with the system's "file too large".
inline void withFileSizeLimit(long long bytes, const std::function<void()>& work)
{
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &small);
    struct Restore {
        rlimit old;
        void (*handler)(int);
        ~Restore()
        {
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, handler);
        }
    } restore{old, oldHandler};
    work();
}

// Runs `work` with `folder` (created when missing) on a full disk that takes about `room` more
// bytes: a tmpfs of that size in the test's own mount namespace (whole pages: less than a page
// is no room at all, its one page taken by a hidden ".filler"), or else the file-size limit.
// Returns false, and runs nothing, when the tmpfs cannot be mounted.
inline bool withFullDisk(const QString& folder, qint64 room, const std::function<void()>& work)
{
    QDir().mkpath(folder);
    if (ownMountNamespace()) {
        constexpr qint64 kPage = 4096;
        const QByteArray where = QFile::encodeName(folder);
        const QByteArray options = "size=" + QByteArray::number(std::max(room, kPage)) + ",mode=0700";
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, options.constData()) != 0) return false;
        struct Unmount {
            QByteArray where;
            ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
        } unmount{where};
        if (room < kPage) {
            QFile filler(folder + QStringLiteral("/.filler"));
            if (!filler.open(QIODevice::WriteOnly) || filler.write(QByteArray(kPage, 'f')) != kPage) return false;
        }
        work();
        return true;
    }
    withFileSizeLimit(room, work);
    return true;
}

} // namespace testing_support
