#pragma once
// What the window benchmarks share: one real main window on the offscreen platform, with
// settings in a folder of their own.
#include "app/TMainForm.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The main window, created and shown on first use.
inline TMainForm& benchWindow()
{
    static TMainForm* form = [] {
        auto* f = new TMainForm;
        f->resize(1280, 900);
        f->show();
        QApplication::setActiveWindow(f);
        QApplication::processEvents();
        return f;
    }();
    return *form;
}

inline int runWindowBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
