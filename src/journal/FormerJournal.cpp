#include "journal/FormerJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace journal {

void adoptFormerJournal(const QString& path)
{
    const QString former = QFileInfo(path).absolutePath() + QStringLiteral("/journal.sqlite");
    const QFileInfo formerInfo(former);
    if (QFileInfo::exists(path) || formerInfo.isSymLink() || !formerInfo.isFile()) return;
    // The log into the file: the last connection to close removes it, unless a copy of the
    // former version still has the journal open.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(former).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    if (QFileInfo::exists(former + QStringLiteral("-wal"))) return;
    if (!QFile::rename(former, path)) return;
    QFile::remove(former + QStringLiteral("-shm"));
    const QDir folder = formerInfo.absoluteDir();
    for (const QString& lock : folder.entryList({formerInfo.fileName() + QStringLiteral(".*.lock")}, QDir::Files | QDir::Hidden))
        QFile::remove(folder.filePath(lock));
}

} // namespace journal
