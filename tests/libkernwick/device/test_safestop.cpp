// A stop at any point of any download leaves the board ready for the next command:
// against zuvo-sim, each download kind is stopped near its start, in the middle and
// near its end, and the same download (for the firmware, the repair download from
// the boot monitor the stop left) then runs at once and completes.

#include "downloadtest.h"
#include "folderfixture.h"
#include "namedcase.h"
#include "simulator.h"

#include "libkernwick/config/configstream.h"
#include "libkernwick/config/deviceconfig.h"
#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/configdownload.h"
#include "libkernwick/device/firmwaredownload.h"
#include "libkernwick/device/fontdownload.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/setupdownload.h"
#include "testapplication.h"

#include <QBuffer>
#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace Kernwick;
using namespace Kernwick::Test;

KERNWICK_TEST_APPLICATION(QCoreApplication);

namespace {

const QByteArray fontBytes = sampleFile(3 * 256 + 40);
const QByteArray firmwareBytes = sampleFile(8 * 128);
const QByteArray script = QByteArray("osd on\r\nlayer 1 text \"CAM 1\"\r\n").repeated(3);

struct Files
{
    QString font, config, bootScript;
};

using Run = DownloadOutcome (*)(Conversation &, const Files &);

DownloadOutcome fromBuffer(const QByteArray &bytes,
                           const std::function<DownloadOutcome(QIODevice &)> &download)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return download(buffer);
}

DownloadOutcome fontMain(Conversation &c, const Files &)
{
    return fromBuffer(fontBytes, [&](QIODevice &file) {
        return downloadFont(c, file, {4, FontDialect::MainPort, 9600});
    });
}

DownloadOutcome fontDebug(Conversation &c, const Files &)
{
    return fromBuffer(fontBytes, [&](QIODevice &file) {
        return downloadFont(c, file, {4, FontDialect::DebugPort, 9600});
    });
}

DownloadOutcome config(Conversation &c, const Files &)
{
    return downloadConfiguration(c, DeviceConfig{}, 9600);
}

DownloadOutcome bootScript(Conversation &c, const Files &)
{
    return downloadBootScript(c, script, 9600);
}

DownloadOutcome setup(Conversation &c, const Files &files)
{
    return downloadSetup(c, {files.font, files.config, files.bootScript}, 9600);
}

DownloadOutcome firmware(Conversation &c, FirmwareDialect dialect)
{
    return fromBuffer(firmwareBytes, [&](QIODevice &file) {
        return downloadFirmware(c, file, {dialect, 9600});
    });
}

DownloadOutcome firmwareMain(Conversation &c, const Files &)
{
    return firmware(c, FirmwareDialect::MainPort);
}

DownloadOutcome firmwareDebug(Conversation &c, const Files &)
{
    return firmware(c, FirmwareDialect::DebugPort);
}

DownloadOutcome firmwareRepair(Conversation &c, const Files &)
{
    return firmware(c, FirmwareDialect::Repair);
}

struct StopCase : NamedCase
{
    const char *mode;
    Run first;
    Run next;
    /// Bytes written after the board check when the stop is asked.
    qint64 stopAfter;
};

class StopThenNextDownload : public FolderTest, public ::testing::WithParamInterface<StopCase>
{
};

} // namespace

TEST_P(StopThenNextDownload, Completes)
{
    const StopCase &c = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QString::fromLatin1(c.mode)}));
    const Files files{
        write(QStringLiteral("a.zvf"), fontBytes),
        write(QStringLiteral("a.cfg"), encodeConfigStream(DeviceConfig{}, ConfigOrder::File)),
        write(QStringLiteral("a.txt"), script)};

    CSerialPort port{PortTable::fromDevices({})};
    LinkTiming timing;
    timing.paceMs = 0;
    port.setTiming(timing);

    Record stopped;
    // The stop is counted from the first byte after the board check (the setup
    // download has none: from its first byte).
    qint64 checked = -1;
    stopped.stopWhen = [&] {
        if (checked < 0 &&
            (stopped.log.contains(QStringLiteral("detected\r\n")) || c.first == setup))
            checked = port.bytesWritten();
        return checked >= 0 && port.bytesWritten() >= checked + c.stopAfter;
    };
    {
        Conversation conversation(port, sim.device(), stopped.hooks());
        const DownloadOutcome outcome = c.first(conversation, files);
        ASSERT_EQ(outcome.result, DownloadResult::Stopped)
            << "all " << port.bytesWritten() - checked << " bytes went";
        EXPECT_TRUE(stopped.log.endsWith(QStringLiteral("* Stopped *")) || c.first == setup)
            << stopped.log.toStdString();
        EXPECT_FALSE(port.isOpen());
    }

    Record next;
    Conversation conversation(port, sim.device(), next.hooks());
    const DownloadOutcome outcome = c.next(conversation, files);
    EXPECT_EQ(outcome.result, DownloadResult::Completed) << next.log.toStdString();
    if (c.next == fontMain || c.next == fontDebug || c.next == setup) {
        EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), fontBytes);
    }
    QStringList unfinished = sim.unfinishedInput();
    // The setup download sends ESC "[" before its boot script frame, as it always
    // has: the board drops it at the frame's ESC, by design.
    if (c.next == setup)
        unfinished.removeAll(QStringLiteral("unfinished escape command \"ESC[\" cut by ESC"));
    EXPECT_EQ(unfinished, QStringList()) << "no command or frame was cut";
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, StopThenNextDownload,
    ::testing::Values(
        StopCase{"FontMainAtTheStart", "main", fontMain, fontMain, 3},
        StopCase{"FontMainInTheMiddle", "main", fontMain, fontMain, 600},
        StopCase{"FontMainNearTheEnd", "main", fontMain, fontMain, 800},
        StopCase{"FontDebugAtTheStart", "debug", fontDebug, fontDebug, 3},
        StopCase{"FontDebugInTheMiddle", "debug", fontDebug, fontDebug, 600},
        StopCase{"FontDebugNearTheEnd", "debug", fontDebug, fontDebug, 930},
        StopCase{"ConfigAtTheStart", "main", config, config, 3},
        StopCase{"ConfigInTheMiddle", "main", config, config, 153},
        StopCase{"ConfigNearTheEnd", "main", config, config, 290},
        StopCase{"BootScriptAtTheStart", "main", bootScript, bootScript, 1},
        StopCase{"BootScriptInTheMiddle", "main", bootScript, bootScript, 50},
        StopCase{"BootScriptNearTheEnd", "main", bootScript, bootScript, 96},
        StopCase{"SetupAtTheStart", "main", setup, setup, 3},
        StopCase{"SetupInTheFont", "main", setup, setup, 700},
        StopCase{"SetupInTheConfiguration", "main", setup, setup, 1000},
        StopCase{"SetupInTheBootScript", "main", setup, setup, 1200},
        StopCase{"FirmwareMainInTheReset", "main", firmwareMain, firmwareRepair, 3},
        StopCase{"FirmwareMainInTheMiddle", "main", firmwareMain, firmwareRepair, 500},
        StopCase{"FirmwareDebugNearTheEnd", "debug", firmwareDebug, firmwareRepair, 1000},
        StopCase{"FirmwareRepairInTheMiddle", "monitor", firmwareRepair, firmwareRepair, 500}),
    CaseName());
