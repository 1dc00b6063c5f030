#pragma once
// What the core benchmarks share: the Qt core application object (QProcess and the file and
// text classes want one) around a Google Benchmark run.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <functional>

// `prepare` runs after the arguments are read and before anything is measured.
inline int runCoreBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {})
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (prepare) prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
