#include "app/ProgramWindows.h"
#include "app/QtTranslations.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/TMainForm.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const SingleInstance instance(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!instance.isFirst()) return 0;
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setOrganizationName(QStringLiteral("Mirelda"));
    installQtTranslations();

    const ProgramWindows windows = createProgramWindows();
    TMainForm& mainForm = *windows.main;
    watchSessionEnd(&mainForm, [&mainForm] { mainForm.FormCloseQuery(); });
    mainForm.show();
    return app.exec();
}
