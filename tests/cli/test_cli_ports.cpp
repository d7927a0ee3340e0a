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

namespace {

struct IdentifyCase
{
    const char *name;
    const char *simMode; ///< the interface the simulator starts on
    const char *dialect; ///< --dialect; empty: the default
    const char *verifying;
    const char *detected;
    const char *wire; ///< what the board received
};

class CliIdentify : public ::testing::TestWithParam<IdentifyCase>
{
};

const QByteArray openedLog =
    "Opening com port\r\nPort opened\r\nConfiguring com port\r\nPort configured successfully\r\n";

} // namespace

// Each dialect's board check against the simulator on that interface: its log, the
// probe on the wire and nothing more, exit 0.
TEST_P(CliIdentify, DetectsTheBoardAsTheDownloadsDo)
{
    const IdentifyCase &c = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QString::fromLatin1(c.simMode)}));
    QStringList args{QStringLiteral("identify"), QStringLiteral("--port"), sim.device()};
    if (*c.dialect)
        args += {QStringLiteral("--dialect"), QString::fromLatin1(c.dialect)};
    const CliResult r = runCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.err, QByteArray());
    EXPECT_TRUE(r.out.startsWith(openedLog + c.verifying + "\r\n.")) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(QByteArray("\r\n") + c.detected + "\r\n")) << r.out.toStdString();
    sim.stop();
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), QByteArray(c.wire));
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, CliIdentify,
    ::testing::Values(
        IdentifyCase{"Main", "main", "", "Verifying ZUVO is present", "ZUVO detected", "\x1b[1}"},
        IdentifyCase{"Debug", "debug", "debug", "Verifying ZUVO is present", "ZUVO detected", "\n"},
        IdentifyCase{"Monitor", "monitor", "monitor", "Verifying device is present",
                     "Device detected", "V#"}),
    [](const ::testing::TestParamInfo<IdentifyCase> &info) {
        return std::string(info.param.name);
    });

// A silent port: the not-detected text after the detection's reads, exit 1.
TEST(CliIdentifySilent, ReportsTheBoardNotDetectedAndExitsOne)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--silent")}));
    const CliResult r =
        runCli({QStringLiteral("identify"), QStringLiteral("--port"), sim.device()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, openedLog + "Verifying ZUVO is present\r\n" + QByteArray(20, '.') +
                         "\r\n* ZUVO not detected *\r\nPlease verify\r\nZUVO is connected to main "
                         "serial port\r\ncomputer is connected to correct serial port\r\nZUVO "
                         "is powered\r\ncheck ZUVO serial rate\n");
    const CliResult wrong =
        runCli({QStringLiteral("identify"), QStringLiteral("--dialect"), QStringLiteral("repair"),
                QStringLiteral("--port"), sim.device()});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "kernwick-cli: --dialect must be main, debug or monitor, not 'repair'\n");
}
