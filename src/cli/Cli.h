// quorvane-cli as a function: the command line in, what goes to standard output and
// standard error and the exit status out. Status 0: every judged sheet passed all three
// judgements (convert: written without a message; report: every workbook written); 1: a judgement failed or gave no result
// (convert: written, with the messages the window would have shown); 2: the arguments or a
// file could not be used, with one line on standard error and nothing on standard output
// (report: a workbook could not be written, a line on standard error for each).
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cli {

struct CliRun {
    int status = 0;
    QByteArray out; // UTF-8
    QString err;    // lines, each ending with a line feed
};

// `arguments` without the program name.
CliRun runCli(const QStringList& arguments);

} // namespace cli
