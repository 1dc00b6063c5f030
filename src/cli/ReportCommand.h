// The report command: every sheet of a file judged as "SPC異常判定" judges it, then for each
// sheet with a capability result the workbook the window's report button writes, through the
// same report model and fill functions, into an existing folder instead of "Save Files".
#pragma once
#include "cli/CommandLine.h"
#include "cli/SheetJudgement.h"
#include "model/SheetRecord.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace cli {

struct ReportRun {
    QStringList written;  // the paths, in sheet order
    QStringList problems; // one line each: the sheet and what went wrong
};

// `programFolder` holds "Form Files", the templates. Throws FileError when the file cannot
// be read, the sheet is not in it or the folder is not one.
ReportRun writeReports(const ReportCommand& command, const QString& programFolder);

// One sheet to report on: the record, its name in messages, the tag after the time stamp in
// the file's name ("03_"), and a step right after it is entered (a store's baseline).
struct ReportSheet {
    model::SheetRecord record;
    QString name;
    QString tag;
    EntryStep afterEntry;
};
// The same for sheets at hand; a sheet without a capability result is a problem when
// `eachRequired`, otherwise passed over.
ReportRun writeSheetReports(const ReportCommand& command, const QString& programFolder, const std::vector<ReportSheet>& sheets,
                            bool eachRequired);

} // namespace cli
