// The lock a running copy holds on its journal session: a file beside the journal with an
// exclusive lock of the operating system on it. The system releases the lock when the
// process ends in whatever way, so a session whose lock can be taken has no copy running,
// without trusting process ids that may have been reused.
#pragma once
#include <QString>

#include <cstdint>
#include <memory>

namespace journal {

class SessionLock {
public:
    // Creates the file at `path` (owner-only, never through a link, never an existing name)
    // and locks it; none when either fails.
    static std::unique_ptr<SessionLock> hold(const QString& path);
    // Unlocks and removes the file.
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    // Whether some copy holds the lock at `path` now. A missing file is held by none; a
    // file that cannot be checked counts as held, so a running copy is never taken for ended.
    static bool held(const QString& path);

private:
    SessionLock(const QString& path, std::intptr_t handle) : path_(path), handle_(handle) {}
    QString path_;
    std::intptr_t handle_;
};

} // namespace journal
