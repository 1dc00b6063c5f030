#pragma once
#include "judge/Kinds.h"
#include "model/FileSafety.h"

#include <QDateTime>
#include <QString>

namespace reports {

class ExcelSession;

// Where the reports live: the templates in "Form Files" beside the executable, the filled
// copies and result workbooks in "Save Files".
struct ReportFolders {
    QString formFiles;
    QString saveFiles;

    // Both folders beside the executable.
    static ReportFolders beside(const QString& programFolder);
    // The templates beside the executable, the copies in the user's "Save Files" (model::saveFilesFolder).
    static ReportFolders forProgram(const QString& programFolder);
};

// The template of a control chart kind ("XbarR.xlsx", "XbarS.xlsx", "X-Rs.xlsx") and of the histogram.
QString controlChartTemplateName(judge::ChartKind kind);
inline const QString kHistogramTemplateName = QStringLiteral("Histogram.xlsx");

// "YYYYMMDD_HHNNSS_" of a local date and time, for example 20240131_174502_.
QString timeStampPrefix(const QDateTime& when);

// Copies a template into `folder` (created for its owner alone when missing) under the time
// stamp, the tag and the template's own name, created exclusively under the first free name
// (name_2.ext, name_3.ext, ...): never over an existing entry, never through a link, so a
// report never fills a file made earlier. Returns the copy made. A template that is missing or
// a copy that cannot be made raises spreadsheet::Error naming the file and the reason.
model::NewFile copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when, const QString& tag = {});

// The copy of a template that one report makes and fills. When an error leaves the fill before
// it is done, the copy goes again (as long as its name still holds the file made here; nothing
// else is ever removed) and the session keeps its name for the message (rethrowReportError).
class ReportCopy {
public:
    ReportCopy(ExcelSession& session, const QString& templatePath, const QString& folder, const QDateTime& when,
               const QString& tag = {});
    ~ReportCopy();
    ReportCopy(const ReportCopy&) = delete;
    ReportCopy& operator=(const ReportCopy&) = delete;

    const QString& path() const { return made_.path; }
    operator const QString&() const { return made_.path; }

private:
    ExcelSession& session_;
    model::NewFile made_;
    int uncaught_;
};

// Inside a handler of a report's error: throws it again, its first line saying that the copy
// the report had made was removed, when it was.
[[noreturn]] void rethrowReportError(const ExcelSession& session);

} // namespace reports
