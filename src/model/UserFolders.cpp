#include "model/UserFolders.h"

#include "model/FileSafety.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace model {

bool isOwnWritableFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir() || !info.isWritable()) return false;
#ifdef Q_OS_UNIX
    // Writable alone says little for the administrator, who may write everywhere.
    return info.ownerId() == ::geteuid();
#else
    return true;
#endif
}

QString userSaveFilesFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return QDir::cleanPath(documents + QStringLiteral("/Quorvane/Save Files"));
}

QString saveFilesFolder(const QString& programFolder)
{
    const QString beside = QDir::cleanPath(programFolder + QStringLiteral("/Save Files"));
    if (isOwnWritableFolder(programFolder) && (!entryExists(beside) || (!isLink(beside) && isOwnWritableFolder(beside))))
        return beside;
    return userSaveFilesFolder();
}

} // namespace model
