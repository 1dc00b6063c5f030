#include "reports/ReportFiles.h"

#include "spreadsheet/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace reports {

ReportFolders ReportFolders::beside(const QString& programFolder)
{
    return {programFolder + QStringLiteral("/Form Files"), programFolder + QStringLiteral("/Save Files")};
}

QString controlChartTemplateName(judge::ChartKind kind)
{
    switch (kind) {
    case judge::ChartKind::XbarS: return QStringLiteral("XbarS.xlsx");
    case judge::ChartKind::XRs: return QStringLiteral("X-Rs.xlsx");
    case judge::ChartKind::XbarR: break;
    }
    return QStringLiteral("XbarR.xlsx");
}

QString timeStampPrefix(const QDateTime& when) { return when.toString(QStringLiteral("yyyyMMdd_HHmmss_")); }

QString freeFileName(const QString& path)
{
    if (!QFileInfo::exists(path)) return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = path.left(path.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1));
    for (int n = 2;; ++n) {
        const QString candidate = stem + u'_' + QString::number(n) + (suffix.isEmpty() ? QString() : u'.' + suffix);
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

QString copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when)
{
    if (!QFileInfo(templatePath).isFile())
        throw spreadsheet::Error(QStringLiteral("帳票のひな形「%1」が見つかりません。").arg(QDir::toNativeSeparators(templatePath)));
    QDir().mkpath(folder); // a folder removed while the program runs comes back
    const QString copy = freeFileName(folder + u'/' + timeStampPrefix(when) + QFileInfo(templatePath).fileName());
    QFile::copy(templatePath, copy);
    return copy;
}

} // namespace reports
