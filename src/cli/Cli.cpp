#include "cli/Cli.h"

#include "cli/CommandLine.h"
#include "cli/Convert.h"
#include "cli/JudgeReport.h"
#include "cli/ReportCommand.h"
#include "cli/SheetFile.h"
#include "cli/SheetWorkers.h"
#include "cli/StoreCommands.h"
#include "sheetview/ProgramVersion.h"
#include "store/Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace cli {

namespace {

const QString kProgram = QStringLiteral("quorvane-cli");

CliRun judge(const JudgeCommand& command)
{
    if (command.store) return judgeFromStore(command);
    std::vector<model::SheetRecord> records = readSheetFile(command.file);
    const JudgeOptions& o = command.options;
    const std::vector<int> numbers = chosenSheets(int(records.size()), o.sheet, command.file);
    std::vector<SheetJudgement> judged(numbers.size());
    forEachSheet(int(numbers.size()), [&](int i) {
        const int number = numbers[size_t(i)];
        judged[size_t(i)] = judgeSheet(records[size_t(number - 1)], number, o);
    });

    CliRun run;
    run.status = std::all_of(judged.begin(), judged.end(), [](const SheetJudgement& s) { return s.passed(); }) ? 0 : 1;
    run.out = o.format == OutputFormat::Json ? jsonReport(command.file, judged) : textReport(command.file, judged).toUtf8();
    return run;
}

// The paths written, one a line; status 2 when any report could not be written.
CliRun report(const ReportCommand& command)
{
    if (command.store) return reportFromStore(command, QCoreApplication::applicationDirPath());
    const ReportRun written = writeReports(command, QCoreApplication::applicationDirPath());
    CliRun run;
    for (const QString& path : written.written) run.out += (QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + u'\n').toUtf8();
    for (const QString& problem : written.problems) run.err += QStringLiteral("%1: %2: %3\n").arg(kProgram, command.file, problem);
    run.status = written.problems.isEmpty() ? 0 : 2;
    return run;
}

CliRun convert(const ConvertCommand& command)
{
    CliRun run;
    for (const ConvertedSheetNotice& n : convertSheets(command.input, command.output))
        run.err += QStringLiteral("%1: %2: シート%3: %4: %5\n")
                       .arg(kProgram, command.input, QString::number(n.sheet), n.notice.caption, n.notice.text);
    run.status = run.err.isEmpty() ? 0 : 1;
    return run;
}

QString version() { return kProgram + QStringLiteral(" " QUORVANE_FILE_VERSION "\n"); }

} // namespace

CliRun runCli(const QStringList& arguments)
{
    try {
        const Command command = parseCommandLine(arguments);
        if (const auto* j = std::get_if<JudgeCommand>(&command)) return judge(*j);
        if (const auto* r = std::get_if<ReportCommand>(&command)) return report(*r);
        if (const auto* c = std::get_if<ConvertCommand>(&command)) return convert(*c);
        if (const auto* s = std::get_if<StoreCommand>(&command)) return runStoreCommand(*s);
        CliRun run;
        run.out = (std::holds_alternative<HelpCommand>(command) ? usageText() : version()).toUtf8();
        return run;
    } catch (const UsageError& e) {
        return {2, {}, QStringLiteral("%1: %2 (使い方: %1 --help)\n").arg(kProgram, e.message())};
    } catch (const FileError& e) {
        return {2, {}, kProgram + QStringLiteral(": ") + e.message() + u'\n'};
    } catch (const store::StoreError& e) {
        // libpq's messages may run over several lines: one line, as every other failure.
        return {2, {}, kProgram + QStringLiteral(": ") + e.message().simplified() + u'\n'};
    }
}

} // namespace cli
