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

// Sheet `index` of the store becomes a full sheet: 100 lots x 100 measurements, all enabled.
inline void fillFullSheet(TMainForm& f, int index)
{
    model::SheetRecord& r = f.sheetStore()[index];
    r.lotCount = 100;
    r.measurementCount = 100;
    r.digits = "3";
    r.specUpper = "10.5";
    r.specLower = "9.5";
    r.enableFlags.clear();
    r.dataLines.clear();
    for (int lot = 1; lot <= 100; ++lot) {
        QString line = QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0'));
        for (int m = 0; m < 100; ++m) line += QStringLiteral(",%1").arg(9.5 + (lot * 7 + m * 13) % 100 / 100.0);
        r.enableFlags << QStringLiteral("1");
        r.dataLines << line;
    }
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
