#pragma once

// The application object a test program needs, made once before its first test:
// QCoreApplication for real serial ports (their socket notifiers), QGuiApplication
// for drawing and measuring text, QApplication for widgets. A test source names the
// kind it needs once, at namespace scope:
//
//     KERNWICK_TEST_APPLICATION(QApplication);
//
// Sources of one program that name the same kind share one object. Tests run on
// the offscreen platform.

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

#include <gtest/gtest.h>

namespace Kernwick::Test {

template <class Application> class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kernwick-test";
        static char *argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Settings (the recent-file list) go to a test location, not the user's:
        // a folder of this program's own, so test programs running side by side
        // never read or overwrite each other's choices.
        QStandardPaths::setTestModeEnabled(true);
        m_settings = std::make_unique<QTemporaryDir>();
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, m_settings->path());
        m_app = new Application(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_settings.reset();
    }

private:
    Application *m_app = nullptr;
    std::unique_ptr<QTemporaryDir> m_settings;
};

// An inline variable: registered once per program, however many sources ask.
template <class Application>
inline ::testing::Environment *const applicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<Application>);

} // namespace Kernwick::Test

#define KERNWICK_TEST_APPLICATION(Application)                                                     \
    [[maybe_unused]] static ::testing::Environment *const kernwickTestApplication =                \
        ::Kernwick::Test::applicationEnvironment<Application>
