#pragma once

// Widget tests need a QApplication; every widget test executable includes this once.
// Run them with QT_QPA_PLATFORM=offscreen (ctest sets it).

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace Kernwick::Test {

class WidgetsApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kernwick-widget-test";
        static char *argv[] = {name, nullptr};
        // Settings (the recent-file list) go to a test location, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QApplication *m_app = nullptr;
};

inline ::testing::Environment *const widgetsApplication =
    ::testing::AddGlobalTestEnvironment(new WidgetsApplicationEnvironment);

} // namespace Kernwick::Test
