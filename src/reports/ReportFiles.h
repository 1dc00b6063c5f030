#pragma once
#include "judge/Kinds.h"

#include <QDateTime>
#include <QString>

namespace reports {

// Where the reports live: the templates in "Form Files" and the filled copies and result
// workbooks in "Save Files", both beside the executable.
struct ReportFolders {
    QString formFiles;
    QString saveFiles;

    static ReportFolders beside(const QString& programFolder);
};

// The template of a control chart kind ("XbarR.xlsx", "XbarS.xlsx", "X-Rs.xlsx") and of the histogram.
QString controlChartTemplateName(judge::ChartKind kind);
inline const QString kHistogramTemplateName = QStringLiteral("Histogram.xlsx");

// "YYYYMMDD_HHNNSS_" of a local date and time, for example 20240131_174502_.
QString timeStampPrefix(const QDateTime& when);

// The path itself when no file of that name exists, otherwise the first free one of
// name_2.ext, name_3.ext, ... A report never fills a file made earlier.
QString freeFileName(const QString& path);

// Copies a template into `folder` under the time stamp and the template's own name, never over
// an existing file. Returns the path of the copy. A template that is missing, or a copy that
// cannot be made, raises spreadsheet::Error naming the file and the reason.
QString copyTemplate(const QString& templatePath, const QString& folder, const QDateTime& when);

} // namespace reports
