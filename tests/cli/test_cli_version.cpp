// --version on the command-line programs: the program's name and version on
// standard output, status 0, and nothing else done.

#include "namedcase.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct VersionCase : Kernwick::Test::NamedCase
{
    const char *program;
    const char *expected;
};

class Version : public ::testing::TestWithParam<VersionCase>
{
};

TEST_P(Version, PrintsNameAndVersion)
{
    QProcess process;
    process.start(QString::fromLocal8Bit(GetParam().program), {QStringLiteral("--version")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray(GetParam().expected));
    EXPECT_EQ(process.readAllStandardError(), QByteArray());
}

INSTANTIATE_TEST_SUITE_P(Programs, Version,
                         ::testing::Values(VersionCase{"KernwickCli", KERNWICK_CLI,
                                                       "kernwick-cli " KERNWICK_VERSION "\n"},
                                           VersionCase{"ZuvoSim", ZUVO_SIM,
                                                       "zuvo-sim " KERNWICK_VERSION "\n"}),
                         Kernwick::Test::CaseName());

} // namespace
