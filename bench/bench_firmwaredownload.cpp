// A 1 MiB firmware image by the repair download to lrzsz's rx behind a boot-monitor
// shim, against lrzsz's sx sending the same file to rx over the same kind of
// pseudo-terminal and relay, in one run.
//
// The time measured is the transfer itself: from the first block reaching rx to
// the EOT reaching it, as the relay sees it. Waiting for the board's fixed answers
// (the detection, the drains' silence, rx's second of silence before it answers the
// EOT) is the same for both senders and is set aside; `to_answer_ms` includes rx's
// answer to the EOT and `whole_ms` the whole command, for reference.

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/firmwaredownload.h"
#include "libkernwick/device/serialport.h"
#include "lrzszreceiver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace Kernwick;
using Kernwick::Test::LrzszReceiver;

namespace {

constexpr qint64 ImageSize = 1024 * 1024;
constexpr char SxPath[] = "/usr/bin/sx";

class Image
{
public:
    Image()
    {
        QByteArray bytes(ImageSize, '\0');
        std::mt19937 random(1);
        for (char &b : bytes)
            b = char(random());
        m_path = m_dir.filePath(QStringLiteral("firmware.bin"));
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QString path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

const Image &image()
{
    static const Image instance;
    return instance;
}

double milliseconds(LrzszReceiver::Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Records the transfer's times; false (and the benchmark skipped) when it failed.
bool record(benchmark::State &state, LrzszReceiver &rx, qint64 wholeMs, double *toAnswer,
            double *whole)
{
    if (!rx.waitForRx(20000) || rx.rxStatus() != 0 || rx.received().size() != ImageSize) {
        state.SkipWithError("rx did not receive the image");
        return false;
    }
    const LrzszReceiver::Times t = rx.times();
    if (!t.firstBlock || !t.eot || !t.lastAnswer) {
        state.SkipWithError("the relay saw no complete transfer");
        return false;
    }
    state.SetIterationTime(std::chrono::duration<double>(*t.eot - *t.firstBlock).count());
    *toAnswer += milliseconds(*t.lastAnswer - *t.firstBlock);
    *whole += double(wholeMs);
    return true;
}

void counters(benchmark::State &state, double toAnswer, double whole)
{
    const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["to_answer_ms"] = toAnswer / n;
    state.counters["whole_ms"] = whole / n;
    state.SetBytesProcessed(state.iterations() * ImageSize);
}

void repairDownloadToRx(benchmark::State &state)
{
    if (!LrzszReceiver::available()) {
        state.SkipWithError("lrzsz is not installed");
        return;
    }
    double toAnswer = 0, whole = 0;
    for (auto _ : state) {
        LrzszReceiver rx(LrzszReceiver::Mode::BootMonitor);
        if (!rx.start()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        CSerialPort port{PortTable::fromDevices({})};
        LinkTiming timing;
        timing.paceMs = 0;
        port.setTiming(timing);
        ConversationHooks hooks;
        hooks.confirm = [&rx](const BoxMessage &) { rx.waitForRx(20000); };
        Conversation conversation(port, rx.device(), hooks);
        QFile file(image().path());
        file.open(QIODevice::ReadOnly);
        QElapsedTimer timer;
        timer.start();
        const DownloadOutcome outcome =
            downloadFirmware(conversation, file, {FirmwareDialect::Repair, 115200});
        if (!outcome.completed()) {
            state.SkipWithError("the repair download failed");
            return;
        }
        if (!record(state, rx, timer.elapsed(), &toAnswer, &whole))
            return;
    }
    counters(state, toAnswer, whole);
}

void sxToRx(benchmark::State &state)
{
    if (!LrzszReceiver::available() || !QFile::exists(QString::fromLatin1(SxPath))) {
        state.SkipWithError("lrzsz is not installed");
        return;
    }
    const QByteArray file = QFile::encodeName(image().path());
    double toAnswer = 0, whole = 0;
    for (auto _ : state) {
        LrzszReceiver rx(LrzszReceiver::Mode::Receiver);
        const QByteArray device = QFile::encodeName(rx.device());
        QElapsedTimer timer;
        timer.start();
        char *const argv[] = {const_cast<char *>("sx"), const_cast<char *>("-b"),
                              const_cast<char *>("-q"), const_cast<char *>(file.constData()),
                              nullptr};
        const pid_t sx = ::fork();
        if (sx == 0) {
            const int line = ::open(device.constData(), O_RDWR | O_NOCTTY);
            const int quiet = ::open("/dev/null", O_WRONLY);
            if (line >= 0 && quiet >= 0) {
                ::dup2(line, STDIN_FILENO);
                ::dup2(line, STDOUT_FILENO);
                ::dup2(quiet, STDERR_FILENO);
                ::execv(SxPath, argv);
            }
            ::_exit(127);
        }
        // rx's first "C" must find sx with its terminal set up.
        QThread::msleep(300);
        if (sx < 0 || !rx.start()) {
            state.SkipWithError("cannot start sx and rx");
            return;
        }
        int status = 0;
        ::waitpid(sx, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("sx failed");
            return;
        }
        if (!record(state, rx, timer.elapsed(), &toAnswer, &whole))
            return;
    }
    counters(state, toAnswer, whole);
}

} // namespace

BENCHMARK(repairDownloadToRx)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(sxToRx)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    // The serial port needs an application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
