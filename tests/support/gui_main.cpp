#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Widgets are real but never reach a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setOrganizationName(QStringLiteral("Mirelda"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
