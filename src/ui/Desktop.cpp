#include "ui/Desktop.h"

#include "ui/Interaction.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>

#if defined(_WIN32)
#include <windows.h>
#include <wininet.h>
#endif

namespace ui {

QString manualPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("操作手順書.pdf"));
}

void removeFromInternetCache(const QUrl& url)
{
#if defined(_WIN32)
    const QString text = url.toString();
    DeleteUrlCacheEntryW(reinterpret_cast<const wchar_t*>(text.utf16()));
#else
    Q_UNUSED(url);
#endif
}

bool hasDefaultApplication(const QString& path)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The desktop's opener starts in the background and fails there unseen; ask its database first.
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QMimeDatabase().mimeTypeForFile(path).name()});
    if (!query.waitForStarted(5000) || !query.waitForFinished(5000)) return true; // no database to ask: let the opener try
    return !query.readAllStandardOutput().trimmed().isEmpty();
#else
    Q_UNUSED(path);
    return true;
#endif
}

void openManual(const QString& programFolder)
{
    const QString path = manualPath(programFolder);
    // The desktop's opener would complain about a missing file in a window of its own.
    if (QFileInfo(path).isFile()) interaction().openDocument(QUrl::fromLocalFile(path));
}

void openHomePage()
{
    removeFromInternetCache(kHomePage);
    interaction().openDocument(kHomePage);
}

} // namespace ui
