#include "model/FileSafety.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace model {

bool entryExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink() || info.isJunction();
}

bool isLink(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() || info.isJunction();
}

QString freeName(const QString& path)
{
    if (!entryExists(path)) return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = path.left(path.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1));
    for (int n = 2;; ++n) {
        const QString candidate = stem + u'_' + QString::number(n) + (suffix.isEmpty() ? QString() : u'.' + suffix);
        if (!entryExists(candidate)) return candidate;
    }
}

std::optional<FileFailure> saveFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    if (isLink(path)) return writeFailure(path, 0);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return writeFailure(path, errno);
    errno = 0;
    if (!write(file)) {
        const int error = errno;
        file.cancelWriting();
        return writeFailure(path, error);
    }
    // commit() does not see a failed flush of the last buffered bytes (a full disk): flush first.
    errno = 0;
    if (!file.flush() || !file.commit()) return writeFailure(path, errno);
    return std::nullopt;
}

NewFile writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    // Each failed attempt means an entry took the name after the search; a name further on is
    // looked for then. Someone who keeps doing that gets an error, not an endless loop.
    constexpr int kAttempts = 100;
    QString candidate = path;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        candidate = freeName(candidate);
        QFile file(candidate);
        errno = 0;
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            const int reason = errno;
            if (entryExists(candidate)) continue;
            return {{}, writeFailure(candidate, reason)};
        }
        errno = 0;
        if (!write(file) || !file.flush()) {
            const int reason = errno;
            file.close();
            file.remove();
            return {{}, writeFailure(candidate, reason)};
        }
        return {candidate, std::nullopt};
    }
    return {{}, FileFailure{FileProblem::Other, path}};
}

bool makePrivateFolder(const QString& path)
{
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(target).isDir()) return true;
    // The missing levels from the top down: each is created for its owner alone.
    QStringList missing;
    for (QString level = target; !QFileInfo(level).isDir();) {
        missing.prepend(level);
        const QString parent = QFileInfo(level).path();
        if (parent == level) break;
        level = parent;
    }
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString& level : missing)
        if (!QDir().mkdir(level, ownerOnly) && !QFileInfo(level).isDir()) return false;
    return QFileInfo(target).isDir();
}

} // namespace model
