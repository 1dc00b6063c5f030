// quorvane-cli: the window's judgements and sheet exchange from the command line.
#include "cli/Cli.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const cli::CliRun run = cli::runCli(arguments);
    std::fwrite(run.out.constData(), 1, size_t(run.out.size()), stdout);
    const QByteArray err = run.err.toUtf8();
    std::fwrite(err.constData(), 1, size_t(err.size()), stderr);
    return run.status;
}
