#include "reports/ReportFiles.h"

#include "model/FileSafety.h"
#include "model/UserFolders.h"
#include "reports/ExcelSession.h"
#include "spreadsheet/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <exception>

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

model::NewFile copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when, const QString& tag)
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
    model::removeStaleTemporaries(folder); // what a killed report left
    model::NewFile copy = model::writeNewFile(name, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
    if (copy.failure) throw spreadsheet::fileError(QStringLiteral("帳票ファイルを作成できませんでした。"), *copy.failure);
    return copy;
}

ReportCopy::ReportCopy(ExcelSession& session, const QString& templatePath, const QString& folder, const QDateTime& when,
                       const QString& tag)
    : session_(session)
    , made_(copyTemplate(templatePath, folder, when, tag))
    , uncaught_(std::uncaught_exceptions())
{
}

ReportCopy::~ReportCopy()
{
    // Left by an error: the copy holds the template, or part of a report, under a report's name.
    if (std::uncaught_exceptions() > uncaught_ && model::removeMadeFile(made_)) session_.noteRemovedCopy(made_.path);
}

void rethrowReportError(const ExcelSession& session)
{
    try {
        throw;
    } catch (const spreadsheet::Error& e) {
        if (session.removedCopy().isEmpty()) throw;
        QString message = e.message();
        const qsizetype firstLineEnd = message.indexOf(u'\n');
        message.insert(firstLineEnd < 0 ? message.size() : firstLineEnd,
                       QStringLiteral("作成途中の帳票ファイル「%1」は削除しました。").arg(QFileInfo(session.removedCopy()).fileName()));
        if (const auto& failure = e.fileFailure()) throw spreadsheet::Error(message, *failure);
        throw spreadsheet::Error(message, e.systemError());
    }
}

} // namespace reports
