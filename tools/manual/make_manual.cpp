// Writes the operator's manual "操作手順書.pdf": takes the pictures of the real window driven
// offscreen on the sample files, then renders the manual's Markdown chapters with them.
//
//   make_manual SAMPLE_FOLDER SOURCE_FOLDER PICTURE_FOLDER PDF_FILE
#include "ManualDocument.h"
#include "Screenshots.h"

#include "app/Version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <stdexcept>

namespace {

// Pictures are taken at twice the window's size so that they stay sharp in print.
constexpr int kPictureScale = 2;
// The main window's designed width with its frame: a picture this wide fills the text width.
constexpr int kWindowWidth = 952;

QString chapters(const QString& folder)
{
    QString text;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) throw std::runtime_error("no chapters in " + folder.toStdString());
    for (const QString& name : files) {
        QFile f(QDir(folder).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + name.toStdString());
        text += QString::fromUtf8(f.readAll()) + QStringLiteral("\n\n");
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kPictureScale));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setOrganizationName(QStringLiteral("Mirelda"));
    QTextStream err(stderr);
    const QStringList args = QApplication::arguments();
    if (args.size() != 5) {
        err << "usage: make_manual SAMPLE_FOLDER SOURCE_FOLDER PICTURE_FOLDER PDF_FILE\n";
        return 2;
    }
    // The window starts with the default settings and leaves the user's own untouched.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    qputenv("XDG_DATA_HOME", settings.path().toLocal8Bit()); // a recovery journal of its own

    try {
        const QStringList pictures = manual::takeScreenshots(args[1], args[3]);
        const manual::ManualPages pages =
            manual::renderManual(chapters(args[2]), args[3], args[4], QStringLiteral("Quorvane 操作手順書"),
                                 QStringLiteral("Version %1").arg(QStringLiteral(QUORVANE_FILE_VERSION)),
                                 kWindowWidth * kPictureScale);
        QTextStream(stdout) << "操作手順書: " << pages.pages << " pages, " << pages.chapters << " chapters, "
                            << pages.pictures << " pictures (" << pictures.size() << " taken)\n";
    } catch (const std::exception& e) {
        err << "make_manual: " << QString::fromStdString(e.what()) << "\n";
        return 1;
    }
    return 0;
}
