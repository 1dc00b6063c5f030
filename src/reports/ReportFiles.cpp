#include "reports/ReportFiles.h"

#include "model/FileSafety.h"
#include "model/UserFolders.h"
#include "spreadsheet/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace reports {

ReportFolders ReportFolders::beside(const QString& programFolder)
{
    return {programFolder + QStringLiteral("/Form Files"), programFolder + QStringLiteral("/Save Files")};
}

ReportFolders ReportFolders::forProgram(const QString& programFolder)
{
    return {programFolder + QStringLiteral("/Form Files"), model::saveFilesFolder(programFolder)};
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

QString freeFileName(const QString& path) { return model::freeName(path); }

QString copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when)
{
    if (!QFileInfo(templatePath).isFile())
        throw spreadsheet::Error(QStringLiteral("帳票のひな形「%1」が見つかりません。").arg(QDir::toNativeSeparators(templatePath)));
    model::makePrivateFolder(folder); // a folder removed while the program runs comes back
    QFile source(templatePath);
    const QString name = folder + u'/' + timeStampPrefix(when) + QFileInfo(templatePath).fileName();
    if (!source.open(QIODevice::ReadOnly))
        throw spreadsheet::Error(QStringLiteral("帳票のひな形「%1」を読み込めません。%2").arg(QDir::toNativeSeparators(templatePath), source.errorString()));
    QString error;
    const QString copy = model::writeNewFile(name, source.readAll(), error);
    if (copy.isEmpty())
        throw spreadsheet::Error(QStringLiteral("帳票のファイル「%1」を作成できません。%2").arg(QDir::toNativeSeparators(name), error));
    return copy;
}

} // namespace reports
