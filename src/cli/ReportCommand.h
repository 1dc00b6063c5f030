// The report command: every sheet of a file judged as "SPC異常判定" judges it, then for each
// sheet with a capability result the workbook the window's report button writes, through the
// same report model and fill functions, into an existing folder instead of "Save Files".
#pragma once
#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>

namespace cli {

struct ReportRun {
    QStringList written;  // the paths, in sheet order
    QStringList problems; // one line each: the sheet and what went wrong
};

// `programFolder` holds "Form Files", the templates. Throws FileError when the file cannot
// be read, the sheet is not in it or the folder is not one.
ReportRun writeReports(const ReportCommand& command, const QString& programFolder);

} // namespace cli
