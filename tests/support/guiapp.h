#pragma once

// Drawing and measuring text need a GUI application object; test executables that
// draw include this once. The tests run with QT_QPA_PLATFORM=offscreen.

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace Kernwick::Test {

class GuiApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kernwick-render-test";
        static char *argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QGuiApplication *m_app = nullptr;
};

inline ::testing::Environment *const guiApplication =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);

} // namespace Kernwick::Test
