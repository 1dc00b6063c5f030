#pragma once
#include "judge/Kinds.h"

#include <QDateTime>
#include <QString>

namespace reports {

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

// The path itself when no entry of that name exists (a link to nothing is one), otherwise the
// first free one of name_2.ext, name_3.ext, ... A report never fills a file made earlier.
QString freeFileName(const QString& path);

// Copies a template into `folder` (created for its owner alone when missing) under the time
// stamp, the tag and the template's own name, created exclusively under the first free name: never over
// an existing entry, never through a link. Returns the path of the copy. A template that is
// missing or a copy that cannot be made raises spreadsheet::Error naming the file and the reason.
QString copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when, const QString& tag = {});

} // namespace reports
