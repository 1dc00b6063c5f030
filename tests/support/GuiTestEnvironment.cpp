#include "GuiTestEnvironment.h"

#include <QSettings>

GuiTest::GuiTest()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    // The recovery journal too lives in the test's folder.
    qputenv("XDG_DATA_HOME", settingsDir.path().toLocal8Bit());
}

GuiTest::~GuiTest() = default;
