#pragma once

// QSerialPort needs an application object for its socket notifiers; every test
// executable that opens real ports includes this once.

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace Kernwick::Test {

class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kernwick-device-test";
        static char *argv[] = {name, nullptr};
        m_app = new QCoreApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QCoreApplication *m_app = nullptr;
};

inline ::testing::Environment *const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace Kernwick::Test
