#pragma once
#include <QString>
#include <QUrl>

namespace ui {

// The maker's home page.
inline const QUrl kHomePage{QStringLiteral("https://www.mirelda.example/quorvane/")};
// The operator's manual beside the executable.
QString manualPath(const QString& programFolder);

// Removes a web address from the system's internet cache, so the browser fetches the page
// afresh. Systems without such a cache have nothing to remove.
void removeFromInternetCache(const QUrl& url);

// Whether the desktop has a default application for the file's type. Where the desktop
// reports a missing application itself when asked to open, this is always true.
bool hasDefaultApplication(const QString& path);

// Opens the operator's manual when it exists; a missing manual shows nothing.
void openManual(const QString& programFolder);
// Opens the home page in the default browser.
void openHomePage();

} // namespace ui
