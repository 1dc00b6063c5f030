#include "ui/Desktop.h"

#include "ui/Interaction.h"

#include <QDir>
#include <QFileInfo>

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
