#include "libkernwick/device/porttable.h"
#include "namedcase.h"
#include "scriptedport.h"

#include <gtest/gtest.h>

#include <set>

using namespace Kernwick;
using Kernwick::Test::ScriptedPort;

TEST(PortTable, RecognisesExactlyTheSixteenComNames)
{
    const struct
    {
        const char *name;
        int number;
    } cases[] = {{"com1", 1},  {"com9", 9},  {"com16", 16}, {"com0", 0},      {"com17", 0},
                 {"com01", 0}, {"COM1", 0},  {"Com1", 0},   {"com", 0},       {"com+1", 0},
                 {" com1", 0}, {"com1 ", 0}, {"", 0},       {"/dev/ttyS0", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(PortTable::portNumber(QString::fromLatin1(c.name)), c.number) << c.name;
    EXPECT_EQ(PortTable::portName(12), QStringLiteral("com12"));
}

TEST(PortTable, ResolvesComNamesToDevicesAndTakesPathsAsTheyAre)
{
    const PortTable table = PortTable::fromDevices(
        {QStringLiteral("/dev/ttyUSB0"), QString(), QStringLiteral("/tmp/board")});
    const struct
    {
        const char *name;
        const char *device;
    } cases[] = {{"com1", "/dev/ttyUSB0"},
                 {"com2", ""},
                 {"com3", "/tmp/board"},
                 {"com4", ""},
                 {"com16", ""},
                 {"/dev/pts/7", "/dev/pts/7"},
                 {"ttyACM0", "ttyACM0"},
                 {"COM3", "COM3"},
                 {"", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(table.resolve(QString::fromLatin1(c.name)), QString::fromLatin1(c.device))
            << c.name;
}

#ifndef Q_OS_WIN
TEST(PortTable, TakesTheEnvironmentListInOrder)
{
    const QByteArray saved = qgetenv("KERNWICK_PORTS");
    const bool wasSet = qEnvironmentVariableIsSet("KERNWICK_PORTS");
    qputenv("KERNWICK_PORTS", " /dev/pts/3,/tmp/b ,,/tmp/d");
    const PortTable table = PortTable::fromSystem();
    if (wasSet)
        qputenv("KERNWICK_PORTS", saved);
    else
        qunsetenv("KERNWICK_PORTS");

    EXPECT_EQ(table.device(1), QStringLiteral("/dev/pts/3"));
    EXPECT_EQ(table.device(2), QStringLiteral("/tmp/b"));
    EXPECT_EQ(table.device(3), QString());
    EXPECT_EQ(table.device(4), QStringLiteral("/tmp/d"));
    EXPECT_EQ(table.device(5), QString());
}
#endif

TEST(PortTable, IgnoresDevicesBeyondTheSixteenth)
{
    QStringList devices;
    for (int i = 1; i <= 20; ++i)
        devices.append(QStringLiteral("/dev/x%1").arg(i));
    const PortTable table = PortTable::fromDevices(devices);
    EXPECT_EQ(table.device(16), QStringLiteral("/dev/x16"));
    EXPECT_EQ(table.device(17), QString());
    EXPECT_EQ(table.device(0), QString());
}

struct ProbeCase : Test::NamedCase
{
    std::set<int> present;
    const char *chosen;
};

class ProbePorts : public ::testing::TestWithParam<ProbeCase>
{
};

TEST_P(ProbePorts, RecordsPresentPortsAndChoosesTheFirstOfComOneToEight)
{
    const ProbeCase &c = GetParam();
    ScriptedPort port;
    port.portExists = [&](const QString &name) {
        return c.present.count(PortTable::portNumber(name)) > 0;
    };

    const SerialSelection selection = probePorts(port);

    QStringList tried;
    for (int n = 1; n <= 16; ++n)
        tried.append(PortTable::portName(n));
    EXPECT_EQ(port.openedNames, tried);
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(selection.portPresent.test(std::size_t(n - 1)), c.present.count(n) > 0) << n;
    EXPECT_EQ(selection.portName, QString::fromLatin1(c.chosen));
    EXPECT_EQ(selection.baudRate, 9600);
    EXPECT_EQ(port.closes, int(c.present.size())) << "every probed port is closed again";
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Cases, ProbePorts,
                         ::testing::Values(ProbeCase{"None", {}, ""},
                                           ProbeCase{"ThreeAndNine", {3, 9}, "com3"},
                                           ProbeCase{"OnlyNine", {9}, ""},
                                           ProbeCase{"EightAndOne", {8, 1}, "com1"},
                                           ProbeCase{"OnlyEight", {8, 16}, "com8"}),
                         Test::CaseName());
