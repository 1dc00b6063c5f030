#include <QCoreApplication>
#include <gtest/gtest.h>

#include "FullDisk.h"

int main(int argc, char** argv)
{
    testing_support::enterOwnMountNamespace(); // before any thread starts
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
