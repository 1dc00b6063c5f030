#pragma once
// What the window benchmarks share: one real main window on the offscreen platform, with
// settings in a folder of their own.
#include "app/TMainForm.h"
#include "ui/Interaction.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Answers every file dialog with one path, remembers whether a warning was shown, and opens
// no document (the desktop's hand-over is not measured).
class AnsweringDialogs final : public ui::Interaction {
public:
    QString answer;
    QString warning;
    void showMessage(QWidget*, const ui::Message& m) override
    {
        if (m.caption == QStringLiteral("警告メッセージ")) warning = m.text;
    }
    bool askYesNo(QWidget*, const ui::Message&) override { return true; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return answer; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return answer; }
    QString folderName(QWidget*, const QString&, const QString&) override { return answer; }
    int execDialog(QDialog&) override { return 0; }
    bool openDocument(const QUrl&) override { return true; } // opens nothing
};

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
    qputenv("XDG_DATA_HOME", settings.path().toLocal8Bit()); // the recovery journal
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
