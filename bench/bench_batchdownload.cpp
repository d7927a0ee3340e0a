// A setup bundle (a 4 KB font, a configuration and a boot script) to 1, 4 and 8
// simulated boards at once, at 2 ms pacing: the wall time of each batch, its ratio
// to one board, and the processor time the batch takes per board while the boards
// pace the line (user and system time of this process over the wall time).

#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/batchdownload.h"
#include "libkernwick/device/setupdownload.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <sys/resource.h>

using namespace Kernwick;
using Kernwick::Test::Simulator;

namespace {

constexpr int PaceMs = 2;

class Bundle
{
public:
    Bundle()
    {
        QByteArray font(4096, '\0');
        std::mt19937 random(1);
        for (char &b : font)
            b = char(random());
        QByteArray config;
        for (int n = 1; n <= 20; ++n)
            config += "\x1b[" + QByteArray::number(n) + ";1v";
        m_bundle = {write(QStringLiteral("font.zvf"), font),
                    write(QStringLiteral("config.zvc"), config),
                    write(QStringLiteral("boot.zvb"), "echo ready\r")};
    }
    const SetupBundle &bundle() const { return m_bundle; }

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir m_dir;
    SetupBundle m_bundle;
};

double processorSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double oneBoardSeconds = 0;

void setupToBoards(benchmark::State &state)
{
    static const Bundle bundle;
    const int boards = int(state.range(0));
    double wall = 0, processor = 0;
    for (auto _ : state) {
        Simulator sim;
        if (!sim.startBoards(boards)) {
            state.SkipWithError("zuvo-sim did not start");
            return;
        }
        LinkTiming timing;
        timing.paceMs = PaceMs;
        BatchDownload batch(sim.devices(), PortTable::fromDevices({}), timing,
                            [setup = bundle.bundle()](Conversation &conversation) {
                                return downloadSetup(conversation, setup, 9600);
                            });
        const double processorBefore = processorSeconds();
        QElapsedTimer timer;
        timer.start();
        batch.start();
        batch.wait();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        processor += processorSeconds() - processorBefore;
        if (!batch.allCompleted()) {
            state.SkipWithError("a board did not complete");
            return;
        }
        state.SetIterationTime(seconds);
        wall += seconds;
    }
    const double n = double(state.iterations());
    if (boards == 1)
        oneBoardSeconds = wall / n;
    state.counters["wall_s"] = wall / n;
    if (oneBoardSeconds > 0)
        state.counters["ratio_to_one"] = wall / n / oneBoardSeconds;
    state.counters["cpu_pct_per_board"] = 100.0 * processor / wall / boards;
}

} // namespace

// One board first: the others' ratio is to its time.
BENCHMARK(setupToBoards)
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(2);

int main(int argc, char **argv)
{
    // The serial ports need an application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
