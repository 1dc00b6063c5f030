// journal_crash_child JOURNAL SEED: commits the changes of the seed's burst one after another
// and prints the number of each change once its commit has returned, until killed.
#include "CrashBurst.h"
#include "journal/JournalWriter.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    try {
        journal::JournalWriter writer(journal::Journal::open(QString::fromLocal8Bit(argv[1]), QStringLiteral("crash-child")),
                                      [](quint64 post, const QString& error) {
                                          if (error.isEmpty()) std::printf("%llu\n", static_cast<unsigned long long>(post));
                                          else std::printf("error %s\n", error.toUtf8().constData());
                                          std::fflush(stdout);
                                      });
        crash_burst::Burst burst(unsigned(std::strtoul(argv[2], nullptr, 10)));
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
