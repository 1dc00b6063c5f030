// journal_crash_child JOURNAL SEED [MODE] runs a copy's journal until it is killed:
//   burst (default)  commits the changes of the seed's burst one after another and prints the
//                    number of each change once its commit has returned;
//   hold             commits the seed's first workbook, prints the session's number, and waits;
//   claim            prints the numbers of the sessions its start offers ("-" for none), and
//                    waits, as a window whose operator has not answered yet.
#include "CrashBurst.h"
#include "journal/JournalWriter.h"

#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

[[noreturn]] void waitToBeKilled()
{
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) return 2;
    const char* mode = argc == 4 ? argv[3] : "burst";
    const unsigned seed = unsigned(std::strtoul(argv[2], nullptr, 10));
    try {
        auto journal = journal::Journal::open(QString::fromLocal8Bit(argv[1]), QStringLiteral("crash-child"),
                                              QStringLiteral("station %1").arg(seed));
        if (std::strcmp(mode, "claim") == 0) {
            QStringList ids;
            for (const journal::SessionInfo& s : journal->crashedSessions()) ids << QString::number(s.id);
            std::printf("%s\n", ids.isEmpty() ? "-" : ids.join(u' ').toUtf8().constData());
            std::fflush(stdout);
            waitToBeKilled();
        }
        if (std::strcmp(mode, "hold") == 0) {
            journal->write(crash_burst::Burst(seed).book());
            std::printf("%lld\n", static_cast<long long>(journal->session()));
            std::fflush(stdout);
            waitToBeKilled();
        }
        journal::JournalWriter writer(std::move(journal), [](quint64 post, const QString& error) {
            if (error.isEmpty()) std::printf("%llu\n", static_cast<unsigned long long>(post));
            else std::printf("error %s\n", error.toUtf8().constData());
            std::fflush(stdout);
        });
        crash_burst::Burst burst(seed);
        for (;;) {
            writer.post(burst.book());
            writer.waitIdle();
            burst.step();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
