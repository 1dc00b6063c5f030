// Files shaped to make the readers repeat themselves, each beside a plain file of the same size:
// the engine's read time and the memory the read adds. Scale 1 is the size the complexity tests
// use, scale 4 a file four times as large (a linear reader takes about four times as long).
#include "CoreBench.h"
#include "HostileShapes.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <map>

#ifdef __linux__
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const std::vector<testing_support::HostileShape>& shapes(int scale)
{
    static std::map<int, std::vector<testing_support::HostileShape>> made;
    auto it = made.find(scale);
    if (it == made.end()) it = made.emplace(scale, testing_support::hostileShapes(scale)).first;
    return it->second;
}

bool read(const std::function<void()>& open)
{
    try {
        open();
        return true;
    } catch (const spreadsheet::Error&) {
        return false;
    }
}

bool readBytes(const QByteArray& bytes)
{
    return read([&] { spreadsheet::Book::fromBytes(bytes, "x"); });
}

long statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(static_cast<qsizetype>(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The memory one read adds to the process, measured in a child process whose peak is reset
// before it reads; 0 where that cannot be measured.
double readPeakMiB(const std::function<void()>& open)
{
#ifdef __linux__
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return 0;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        malloc_trim(0); // memory freed earlier in the process is not reused unseen
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly)) reset.write("5");
        reset.close();
        const long before = statusKiB("VmRSS:");
        read(open);
        const long added = statusKiB("VmHWM:") - before;
        (void)!write(pipeEnds[1], &added, sizeof added);
        _exit(0);
    }
    close(pipeEnds[1]);
    long added = 0;
    if (child < 0 || ::read(pipeEnds[0], &added, sizeof added) != sizeof added) added = 0;
    close(pipeEnds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return static_cast<double>(added) / 1024.0;
#else
    (void)open;
    return 0;
#endif
}

void readShape(benchmark::State& state, bool hostile)
{
    const auto& list = shapes(static_cast<int>(state.range(1)));
    if (static_cast<size_t>(state.range(0)) >= list.size()) return state.SkipWithError("no such shape");
    const auto& shape = list[static_cast<size_t>(state.range(0))];
    const QByteArray& bytes = hostile ? shape.hostile : shape.plain;
    bool opened = false;
    for (auto _ : state) opened = readBytes(bytes);
    state.SetLabel(std::string(shape.name) + (hostile ? "" : " (plain file)") + (opened ? "" : ", refused"));
    state.counters["file_MiB"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.counters["read_peak_MiB"] = readPeakMiB([&] { spreadsheet::Book::fromBytes(bytes, "x"); });
}

// A text file far beyond what is read, opened from its path (sparse: it takes no disk).
void BM_OversizedTextFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/large.csv");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write("lot,value\r\n") < 0 || !f.resize(500LL << 20)) return state.SkipWithError("cannot make the file");
    }
    auto open = [&] { spreadsheet::Book::open(path); };
    bool opened = false;
    for (auto _ : state) opened = read(open);
    state.SetLabel(opened ? "500 MB text file, read" : "500 MB text file, refused");
    state.counters["read_peak_MiB"] = readPeakMiB(open);
}

void BM_HostileRead(benchmark::State& state) { readShape(state, true); }
void BM_PlainRead(benchmark::State& state) { readShape(state, false); }

void shapeArguments(benchmark::internal::Benchmark* b)
{
    for (int scale : {1, 4})
        for (int i = 0; i < 6; ++i) b->Args({i, scale});
}

} // namespace

BENCHMARK(BM_HostileRead)->Apply(shapeArguments)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainRead)->Apply(shapeArguments)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OversizedTextFile)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return runCoreBenchmarks(argc, argv); }
