#pragma once
#include "ScriptedInteraction.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Base of GUI tests: settings in a folder of the test's own, a scripted interaction.
class GuiTest : public testing::Test {
protected:
    GuiTest();
    ~GuiTest() override;

    QTemporaryDir settingsDir;
    ScriptedInteraction ui;
};
