// The command line's history store: "store init|publish|list|history", and judging or reporting
// a characteristic's lots read from a store as the window judges them after loading them
// (its baseline applied on entry).
#pragma once
#include "cli/Cli.h"
#include "cli/CommandLine.h"

namespace cli {

// Status 0 when everything was done, 2 with a line on standard error for each thing that was
// not (the command line keeps no outbox: a batch script tries again).
CliRun runStoreCommand(const StoreCommand& command);

// judge --db: the lots of the characteristic as one sheet. Status as judge's.
CliRun judgeFromStore(const JudgeCommand& command);

// report --db: the characteristic's report, or with --all one per characteristic with lots
// published in the period, named by its item name in place of the sheet number.
CliRun reportFromStore(const ReportCommand& command, const QString& programFolder);

} // namespace cli
