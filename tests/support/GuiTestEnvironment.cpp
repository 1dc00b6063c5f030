#include "GuiTestEnvironment.h"

#include <QSettings>

GuiTest::GuiTest()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}

GuiTest::~GuiTest() = default;
