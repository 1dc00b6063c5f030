#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

QString SingleInstance::lockPath(const QString& executableFileName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + QStringLiteral("/Quorvane-") + executableFileName + QStringLiteral(".lock");
}

SingleInstance::SingleInstance(const QString& executableFileName)
    : lock_(std::make_unique<QLockFile>(lockPath(executableFileName)))
{
    // A lock whose process no longer runs is stale at once; tryLock removes it.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0);
}
