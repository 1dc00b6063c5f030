#include "reports/ReportFiles.h"

#include "spreadsheet/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

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
    QFile source(templatePath);
    errno = 0;
    if (!source.open(QIODevice::ReadOnly))
        throw spreadsheet::fileError(QStringLiteral("帳票のひな形を読み込めませんでした。"), model::readFailure(templatePath, errno));
    const QByteArray bytes = source.readAll();
    errno = 0;
    if (!QDir().mkpath(folder)) // a folder removed while the program runs comes back
        throw spreadsheet::fileError(QStringLiteral("帳票の保存先フォルダを作成できませんでした。"), model::writeFailure(folder, errno));
    const QString copy = freeFileName(folder + u'/' + timeStampPrefix(when) + QFileInfo(templatePath).fileName());
    QFile out(copy);
    errno = 0;
    // NewOnly: never over a file that appeared since the name was chosen.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
        const int reason = errno;
        if (out.isOpen()) out.remove(); // a part of a template is no report
        throw spreadsheet::fileError(QStringLiteral("帳票ファイルを作成できませんでした。"), model::writeFailure(copy, reason));
    }
    out.close();
    return copy;
}

} // namespace reports
