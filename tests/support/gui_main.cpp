#include <QApplication>
#include <gtest/gtest.h>

#include "FullDisk.h"

int main(int argc, char** argv)
{
    testing_support::enterOwnMountNamespace(); // before any thread starts
    // Widgets are real but never reach a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setOrganizationName(QStringLiteral("Mirelda"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
