#include "simoptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace Kernwick::Sim {

namespace {

const char *const Description =
    R"(Plays a ZUVO video text-overlay board on a pseudo-terminal, so that Kernwick
and kernwick-cli can be tried and tested without a board.

It prints the terminal's device path as the first line of standard output, then
answers as the board does until it is stopped (Ctrl-C or SIGTERM; exit status 0).
Give that path, or the --link path, to Kernwick as the serial port. Baud rates
are accepted and ignored.

The board speaks on one of its three interfaces at a time:
  main     escape commands: identification ESC[1}, memory erase ESC[93;D;0|,
           string frame ESC X ... ESC \, chunk commit ESC[91;D;OFFSET;SUM|,
           flush ESC[92;D;1|, parameters ESC[N;VALUEv, boot script ESC[8v,
           configuration save ESC[1v, reset for download ESC[8265;1|
  debug    text console with the prompt "zuvo>": memory erase|write|flush,
           str <text>, reset x
  monitor  boot monitor: V#, S104000,# (XMODEM-CRC receive), g#
A reset for download enters the boot monitor; "g#" goes back to the interface
the reset came from (the main port when it started in the monitor).

State folder (--state DIR; created if missing):
  device<N>.bin   memory device N (0 to 4), written at each flush
  config.txt      "<number>=<value>" per parameter received, sorted by number,
                  "<" read as the minus sign; written at each save (ESC[1v)
  bootscript.bin  the string taken by ESC[8v
  firmware.bin    the image of the last complete XMODEM transfer
  wire.log        every byte received, in order, appended as it arrives
  events.log      one line per thing the board did, refused or ignored

Like the board, it keeps an escape command, string frame or console line open
until it ends, however long the line is quiet. events.log has a line starting
"unfinished" for each one cut short (by ESC, CAN or SUB, or by --idle-drop-ms)
and for each left open when a client closes the line or the simulator stops:
no such line means every command and frame that began also ended.)";

bool parseCount(const QString &text, qint64 low, qint64 high, qint64 *value)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < low || v > high || text.startsWith(QLatin1Char('+')))
        return false;
    *value = v;
    return true;
}

} // namespace

bool parseRepeatSpec(const QString &spec, std::int64_t *key, int *times)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})(?::(\\d{1,9}))?$"));
    const QRegularExpressionMatch match = pattern.match(spec);
    if (!match.hasMatch())
        return false;
    *key = match.captured(1).toLongLong();
    if (match.captured(2).isEmpty()) {
        *times = -1;
        return true;
    }
    const int t = match.captured(2).toInt();
    if (t < 1)
        return false;
    *times = t;
    return true;
}

OptionsOutcome parseOptions(const QStringList &arguments, SimOptions *options, QString *text)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption link(
        QStringLiteral("link"),
        QStringLiteral("Also make PATH a symbolic link to the device, "
                       "removed on exit. An old symbolic link there is "
                       "replaced; any other file makes it refuse to start."),
        QStringLiteral("PATH"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("Interface to start in: main (default), debug "
                                                 "or monitor."),
                                  QStringLiteral("main|debug|monitor"), QStringLiteral("main"));
    const QCommandLineOption state(QStringLiteral("state"),
                                   QStringLiteral("Record what the board receives in DIR (see "
                                                  "above). Without it nothing is recorded."),
                                   QStringLiteral("DIR"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print each event to standard error too."));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Fault: never send a byte (still records what "
                                                   "it receives)."));
    const QCommandLineOption wrongId(QStringLiteral("wrong-id"),
                                     QStringLiteral("Fault: identify as \"ZUVO v3.1\" (without "
                                                    "\"v4\")."));
    const QCommandLineOption delay(QStringLiteral("reply-delay-ms"),
                                   QStringLiteral("Fault: wait N milliseconds (0 to 60000) before "
                                                  "sending each answer."),
                                   QStringLiteral("N"));
    const QCommandLineOption hangup(QStringLiteral("hangup-after"),
                                    QStringLiteral("Fault: after receiving N bytes in all (N >= "
                                                   "1), close the terminal and exit with status "
                                                   "0; the client sees the line vanish."),
                                    QStringLiteral("N"));
    const QCommandLineOption nakChunk(QStringLiteral("nak-chunk"),
                                      QStringLiteral("Fault: refuse the commit of memory chunk K "
                                                     "(offset / 256) T times, or always without "
                                                     ":T; NAK on the main port, \"error\" on the "
                                                     "console. May be repeated."),
                                      QStringLiteral("K[:T]"));
    const QCommandLineOption nakErase(QStringLiteral("nak-erase"),
                                      QStringLiteral("Fault: refuse every memory erase (NAK; "
                                                     "\"error\" without a prompt on the "
                                                     "console)."));
    const QCommandLineOption nakFlush(QStringLiteral("nak-flush"),
                                      QStringLiteral("Fault: refuse every memory flush (NAK; "
                                                     "\"error\" without a prompt on the "
                                                     "console)."));
    const QCommandLineOption idleDrop(
        QStringLiteral("idle-drop-ms"),
        QStringLiteral("Fault: drop an unfinished escape command or string frame after N "
                       "milliseconds (1 to 600000) without a byte. The board keeps them open "
                       "until they end, however long the line is quiet; so does the "
                       "simulator without this option."),
        QStringLiteral("N"));
    const QCommandLineOption nakBlock(QStringLiteral("nak-block"),
                                      QStringLiteral("Fault: NAK the K-th data block of an XMODEM "
                                                     "transfer (counting from 1) T times, or "
                                                     "always without :T. May be repeated."),
                                      QStringLiteral("K[:T]"));
    parser.addOptions({link, mode, state, verbose, silent, wrongId, delay, hangup, nakChunk,
                       nakErase, nakFlush, nakBlock, idleDrop});

    if (!parser.parse(arguments)) {
        *text = parser.errorText();
        return OptionsOutcome::Error;
    }
    if (parser.isSet(help)) {
        *text = parser.helpText();
        return OptionsOutcome::ShowHelp;
    }
    if (parser.isSet(version)) {
        *text = QStringLiteral("zuvo-sim ") + QStringLiteral(KERNWICK_SIM_VERSION);
        return OptionsOutcome::ShowVersion;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *text =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
        return OptionsOutcome::Error;
    }

    SimOptions o;
    o.link = parser.value(link);
    o.stateDir = parser.value(state);
    const QString modeName = parser.value(mode);
    if (modeName == QLatin1String("main")) {
        o.mode = Interface::MainPort;
    } else if (modeName == QLatin1String("debug")) {
        o.mode = Interface::DebugConsole;
    } else if (modeName == QLatin1String("monitor")) {
        o.mode = Interface::BootMonitor;
    } else {
        *text = QStringLiteral("--mode must be main, debug or monitor, not '%1'").arg(modeName);
        return OptionsOutcome::Error;
    }
    o.verbose = parser.isSet(verbose);
    o.silent = parser.isSet(silent);
    o.faults.wrongId = parser.isSet(wrongId);
    o.faults.nakErase = parser.isSet(nakErase);
    o.faults.nakFlush = parser.isSet(nakFlush);
    if (parser.isSet(delay)) {
        qint64 v = 0;
        if (!parseCount(parser.value(delay), 0, 60000, &v)) {
            *text = QStringLiteral("--reply-delay-ms takes a number of milliseconds from 0 to "
                                   "60000, not '%1'")
                        .arg(parser.value(delay));
            return OptionsOutcome::Error;
        }
        o.replyDelayMs = int(v);
    }
    if (parser.isSet(hangup)) {
        qint64 v = 0;
        if (!parseCount(parser.value(hangup), 1, qint64(1) << 48, &v)) {
            *text = QStringLiteral("--hangup-after takes a byte count of at least 1, not '%1'")
                        .arg(parser.value(hangup));
            return OptionsOutcome::Error;
        }
        o.hangupAfter = v;
    }
    if (parser.isSet(idleDrop)) {
        qint64 v = 0;
        if (!parseCount(parser.value(idleDrop), 1, 600000, &v)) {
            *text = QStringLiteral("--idle-drop-ms takes a number of milliseconds from 1 to "
                                   "600000, not '%1'")
                        .arg(parser.value(idleDrop));
            return OptionsOutcome::Error;
        }
        o.faults.idleDrop = std::chrono::milliseconds(v);
    }
    const std::pair<const QCommandLineOption *, std::map<std::int64_t, int> *> repeats[] = {
        {&nakChunk, &o.faults.nakChunks}, {&nakBlock, &o.faults.nakBlocks}};
    for (const auto &[option, faults] : repeats) {
        for (const QString &spec : parser.values(*option)) {
            std::int64_t key = 0;
            int times = 0;
            if (!parseRepeatSpec(spec, &key, &times) || (option == &nakBlock && key < 1)) {
                *text =
                    QStringLiteral("--%1 takes K or K:T (K a %2 number from %3, T at least "
                                   "1), not '%4'")
                        .arg(option->names().first(),
                             option == &nakBlock ? QStringLiteral("block")
                                                 : QStringLiteral("chunk"),
                             option == &nakBlock ? QStringLiteral("1") : QStringLiteral("0"), spec);
                return OptionsOutcome::Error;
            }
            (*faults)[key] = times;
        }
    }
    *options = std::move(o);
    return OptionsOutcome::Run;
}

} // namespace Kernwick::Sim
