#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/TMainForm.h"
#include "app/TSplashForm.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TLotEditForm.h"
#include "dialogs/TOptionForm.h"
#include "dialogs/TSettingForm.h"
#include "dialogs/TSheetsForm.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const SingleInstance instance(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!instance.isFirst()) return 0;
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setOrganizationName(QStringLiteral("Mirelda"));

    TMainForm mainForm;
    TSplashForm splash(&mainForm);
    TSheetsForm sheets(&mainForm);
    TOptionForm option(mainForm.ruleOptions(), &mainForm);
    TSettingForm setting(mainForm.appSettings(), &mainForm);
    TAboutForm about(&mainForm);
    TLotEditForm lotEdit(&mainForm);
    mainForm.setCompanions(&splash, &sheets, &about, &lotEdit);
    mainForm.setSettingsDialogs(&option, &setting);
    watchSessionEnd(&mainForm, [&mainForm] { mainForm.FormCloseQuery(); });
    mainForm.show();
    return app.exec();
}
