#include "clirun.h"
#include "simulator.h"

#include <gtest/gtest.h>

using Kernwick::Test::CliResult;
using Kernwick::Test::runCli;
using Kernwick::Test::Simulator;

namespace {

// Sets KERNWICK_PORTS for the programs this test starts, and restores it.
class PortsEnvironment
{
public:
    explicit PortsEnvironment(const QStringList &devices)
        : m_wasSet(qEnvironmentVariableIsSet("KERNWICK_PORTS")), m_saved(qgetenv("KERNWICK_PORTS"))
    {
        qputenv("KERNWICK_PORTS", devices.join(QLatin1Char(',')).toLocal8Bit());
    }
    ~PortsEnvironment()
    {
        if (m_wasSet)
            qputenv("KERNWICK_PORTS", m_saved);
        else
            qunsetenv("KERNWICK_PORTS");
    }

private:
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace

TEST(CliTestCom, WritesTheGreetingToTheNamedDevice)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r =
        runCli({QStringLiteral("test-com"), QStringLiteral("--port"), sim.device()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_EQ(sim.receivedAfterStop(12), "Hello there!");
}

TEST(CliTestCom, DefaultsToTheFirstPresentPort)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const PortsEnvironment ports({QStringLiteral("/nonexistent/ttyZ0"), sim.device()});
    const CliResult r =
        runCli({QStringLiteral("test-com"), QStringLiteral("--pace-ms"), QStringLiteral("0"),
                QStringLiteral("--baud"), QStringLiteral("115200")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(sim.receivedAfterStop(12), "Hello there!");
}

TEST(CliTestCom, MissingPortFailsWithTheBoxText)
{
    const PortsEnvironment ports({QStringLiteral("/nonexistent/ttyZ0")});
    for (const QStringList &extra :
         {QStringList{}, QStringList{QStringLiteral("--port"), QStringLiteral("com1")},
          QStringList{QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyZ9")}}) {
        const CliResult r = runCli(QStringList{QStringLiteral("test-com")} + extra);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "kernwick-cli: OpenPort failed\n");
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CliTestCom, RefusesBadOptions)
{
    const QStringList cases[] = {
        {QStringLiteral("--baud"), QStringLiteral("0")},
        {QStringLiteral("--baud"), QStringLiteral("fast")},
        {QStringLiteral("--baud"), QStringLiteral("99999999999")},
        {QStringLiteral("--pace-ms"), QStringLiteral("-1")},
        {QStringLiteral("--pace-ms"), QStringLiteral("600000")},
        {QStringLiteral("--port")},
        {QStringLiteral("extra")},
    };
    for (const QStringList &args : cases) {
        const CliResult r = runCli(QStringList{QStringLiteral("test-com")} + args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.toStdString();
    }
}

TEST(CliPorts, ListsTheTableWithPresenceAndTheDefault)
{
    Simulator first, second;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    const PortsEnvironment ports(
        {first.device(), second.device(), QStringLiteral("/nonexistent/ttyZ0")});
    const CliResult r = runCli({QStringLiteral("ports")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(r.out),
              QStringLiteral("com1 %1 present\ncom2 %2 present\ncom3 /nonexistent/ttyZ0 absent\n"
                             "default: com1\n")
                  .arg(first.device(), second.device()));
    EXPECT_TRUE(r.err.isEmpty());
}

TEST(CliPorts, DefaultSkipsAbsentPortsAndIgnoresComNineOn)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    QStringList devices(8, QStringLiteral("/nonexistent/ttyZ0"));
    devices.append(sim.device()); // com9: present, but never the default
    const PortsEnvironment ports(devices);
    const CliResult r = runCli({QStringLiteral("ports")});
    EXPECT_EQ(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 11); // 9 entries, the default, and the final newline
    EXPECT_EQ(lines[0], "com1 /nonexistent/ttyZ0 absent");
    EXPECT_EQ(QString::fromLocal8Bit(lines[8]),
              QStringLiteral("com9 %1 present").arg(sim.device()));
    EXPECT_EQ(lines[9], "default: none");

    EXPECT_EQ(runCli({QStringLiteral("ports"), QStringLiteral("extra")}).exitCode, 2);
}
