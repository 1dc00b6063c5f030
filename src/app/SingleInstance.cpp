#include "app/SingleInstance.h"

#include "model/FileSafety.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>

namespace {

bool isOwnClosedFolder(const QString& path)
{
    const model::fs::Entry e = model::fs::pathEntry(path);
    return e.type == model::fs::EntryType::Folder && e.ownedByUser && (e.permissions & 077) == 0;
}

// A home shared by several machines keeps one lock per machine, or they would block each other.
QString hostPart()
{
    QString host = QSysInfo::machineHostName();
    host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return host.isEmpty() ? QStringLiteral("host") : host;
}

} // namespace

QString SingleInstance::lockFolder()
{
#ifdef Q_OS_WIN
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && model::makePrivateFolder(runtime)) return runtime;
#else
    // Not QStandardPaths' runtime location: without XDG_RUNTIME_DIR it falls back to a name in
    // the shared /tmp that anyone may take first.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isOwnClosedFolder(runtime)) return QDir::cleanPath(runtime);
#endif
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return {};
    const QString folder = QDir::cleanPath(data + QStringLiteral("/Mirelda/Quorvane"));
    return model::makeOwnPrivateFolder(folder) ? folder : QString();
}

QString SingleInstance::lockPath(const QString& executableFileName)
{
    const QString folder = lockFolder();
    if (folder.isEmpty()) return {};
    return folder + QStringLiteral("/Quorvane-") + executableFileName + u'-' + hostPart() + QStringLiteral(".lock");
}

SingleInstance::SingleInstance(const QString& executableFileName)
{
    const QString path = lockPath(executableFileName);
    if (path.isEmpty()) {
        first_ = true;
        return;
    }
    // Only a plain file of the user's own can be their lock; anything else at the name goes (the
    // folder is theirs alone, so only they or the administrator could have put it there).
    const model::fs::Entry planted = model::fs::pathEntry(path);
    if (planted.type != model::fs::EntryType::None && !(planted.type == model::fs::EntryType::File && planted.ownedByUser)) {
        const model::fs::Folder folder(QFileInfo(path).absolutePath());
        folder.remove(QFileInfo(path).fileName());
    }
    lock_ = std::make_unique<QLockFile>(path);
    // A lock whose process no longer runs is stale at once; tryLock removes it.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0) || lock_->error() != QLockFile::LockFailedError;
}
