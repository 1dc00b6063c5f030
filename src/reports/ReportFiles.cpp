#include "reports/ReportFiles.h"

#include "model/FileSafety.h"
#include "model/UserFolders.h"
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

QString copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when, const QString& tag)
{
    if (!QFileInfo(templatePath).isFile())
        throw spreadsheet::Error(QStringLiteral("帳票のひな形「%1」が見つかりません。").arg(QDir::toNativeSeparators(templatePath)));
    QFile source(templatePath);
    errno = 0;
    if (!source.open(QIODevice::ReadOnly))
        throw spreadsheet::fileError(QStringLiteral("帳票のひな形を読み込めませんでした。"), model::readFailure(templatePath, errno));
    const QByteArray bytes = source.readAll();
    errno = 0;
    if (!model::makePrivateFolder(folder)) // a folder removed while the program runs comes back
        throw spreadsheet::fileError(QStringLiteral("帳票の保存先フォルダを作成できませんでした。"), model::writeFailure(folder, errno));
    const QString name = folder + u'/' + timeStampPrefix(when) + tag + QFileInfo(templatePath).fileName();
    const model::NewFile copy = model::writeNewFile(name, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
    if (copy.failure) throw spreadsheet::fileError(QStringLiteral("帳票ファイルを作成できませんでした。"), *copy.failure);
    return copy.path;
}

} // namespace reports
