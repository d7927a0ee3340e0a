#include "simoptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>

#include <optional>

namespace Kernwick::Sim {

namespace {

const char *const Description =
    R"(Plays a ZUVO video text-overlay board on a pseudo-terminal, so that Kernwick
and kernwick-cli can be tried and tested without a board.

It prints the terminal's device path as the first line of standard output, then
answers as the board does until it is stopped (Ctrl-C or SIGTERM; exit status 0).
Give that path, or the --link path, to Kernwick as the serial port. Baud rates
are accepted and ignored.

With --boards N it plays N independent boards, each on a pseudo-terminal of its
own, and prints their device paths one a line, board 1 first. Board K's link is
PATH followed by K (PATH1 ... PATHN) and its state folder DIR/K. Fault options
apply to every board; after --board K they apply to board K alone, up to the
next --board. A board that hangs up or fails leaves the others answering. For
example, eight boards that all refuse to flush, board 3 silent as well:
  zuvo-sim --boards 8 --link /tmp/zuvo --state /tmp/zuvo-state --nak-flush \
           --board 3 --silent

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

// Every option of the command line in one parser; a fresh one reads each part of
// the arguments.
struct OptionParser
{
    OptionParser();

    /// The options for every board at once, which cannot follow --board.
    QList<const QCommandLineOption *> shared() const
    {
        return {&link, &mode, &state, &verbose, &boards};
    }
    /// Reads the options for every board at once into `o` (and sizes its boards).
    bool readShared(SimOptions *o, QString *error) const;
    /// Reads the fault options given into `setup`, leaving the others as they are.
    bool readSetup(BoardSetup *setup, QString *error) const;
    /// Reads the value of `option` into `value` (nothing when the option is not
    /// given). False, with the message, when it is not a number from `low` to
    /// `high`, which `range` describes (QStringLiteral("a number of milliseconds from 0 to
    /// 60000")).
    bool readNumber(const QCommandLineOption &option, qint64 low, qint64 high, const QString &range,
                    std::optional<qint64> *value, QString *error) const;

    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption link{
        QStringLiteral("link"),
        QStringLiteral("Also make PATH a symbolic link to the device, "
                       "removed on exit. An old symbolic link there is "
                       "replaced; any other file makes it refuse to start. With --boards, "
                       "board K's link is PATH followed by K."),
        QStringLiteral("PATH")};
    const QCommandLineOption mode{
        QStringLiteral("mode"),
        QStringLiteral("Interface to start in: main (default), debug or monitor."),
        QStringLiteral("main|debug|monitor"), QStringLiteral("main")};
    const QCommandLineOption state{
        QStringLiteral("state"),
        QStringLiteral("Record what the board receives in DIR (see above). Without it nothing "
                       "is recorded. With --boards, board K records in DIR/K."),
        QStringLiteral("DIR")};
    const QCommandLineOption verbose{QStringLiteral("verbose"),
                                     QStringLiteral("Print each event to standard error too.")};
    const QCommandLineOption boards{
        QStringLiteral("boards"),
        QStringLiteral("Play N independent boards (1 to %1), each on a pseudo-terminal of its "
                       "own: their device paths one a line, board 1 first; links PATH1 to "
                       "PATHN; state folders DIR/1 to DIR/N.")
            .arg(SimOptions::MaxBoards),
        QStringLiteral("N")};
    const QCommandLineOption board{
        QStringLiteral("board"),
        QStringLiteral("Aim the fault options after it, up to the next --board, at board K "
                       "alone. Fault options before the first --board apply to every board."),
        QStringLiteral("K")};
    const QCommandLineOption silent{
        QStringLiteral("silent"),
        QStringLiteral("Fault: never send a byte (still records what it receives).")};
    const QCommandLineOption wrongId{
        QStringLiteral("wrong-id"),
        QStringLiteral("Fault: identify as \"ZUVO v3.1\" (without \"v4\").")};
    const QCommandLineOption delay{
        QStringLiteral("reply-delay-ms"),
        QStringLiteral("Fault: wait N milliseconds (0 to 60000) before sending each answer."),
        QStringLiteral("N")};
    const QCommandLineOption hangup{
        QStringLiteral("hangup-after"),
        QStringLiteral("Fault: after receiving N bytes in all (N >= 1), close the terminal; the "
                       "client sees the line vanish. The simulator exits with status 0 when "
                       "no board is left."),
        QStringLiteral("N")};
    const QCommandLineOption nakChunk{
        QStringLiteral("nak-chunk"),
        QStringLiteral("Fault: refuse the commit of memory chunk K (offset / 256) T times, or "
                       "always without :T; NAK on the main port, \"error\" on the console. May "
                       "be repeated."),
        QStringLiteral("K[:T]")};
    const QCommandLineOption nakErase{
        QStringLiteral("nak-erase"),
        QStringLiteral("Fault: refuse every memory erase (NAK; \"error\" without a prompt on "
                       "the console).")};
    const QCommandLineOption nakFlush{
        QStringLiteral("nak-flush"),
        QStringLiteral("Fault: refuse every memory flush (NAK; \"error\" without a prompt on "
                       "the console).")};
    const QCommandLineOption nakBlock{
        QStringLiteral("nak-block"),
        QStringLiteral("Fault: NAK the K-th data block of an XMODEM transfer (counting from 1) "
                       "T times, or always without :T. May be repeated."),
        QStringLiteral("K[:T]")};
    const QCommandLineOption idleDrop{
        QStringLiteral("idle-drop-ms"),
        QStringLiteral("Fault: drop an unfinished escape command or string frame after N "
                       "milliseconds (1 to 600000) without a byte. The board keeps them open "
                       "until they end, however long the line is quiet; so does the "
                       "simulator without this option."),
        QStringLiteral("N")};
};

OptionParser::OptionParser()
{
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addOptions({link, mode, state, verbose, boards, board, silent, wrongId, delay, hangup,
                       nakChunk, nakErase, nakFlush, nakBlock, idleDrop});
}

bool OptionParser::readShared(SimOptions *o, QString *error) const
{
    o->link = parser.value(link);
    o->stateDir = parser.value(state);
    const QString modeName = parser.value(mode);
    if (modeName == QLatin1String("main")) {
        o->mode = Interface::MainPort;
    } else if (modeName == QLatin1String("debug")) {
        o->mode = Interface::DebugConsole;
    } else if (modeName == QLatin1String("monitor")) {
        o->mode = Interface::BootMonitor;
    } else {
        *error = QStringLiteral("--mode must be main, debug or monitor, not '%1'").arg(modeName);
        return false;
    }
    o->verbose = parser.isSet(verbose);
    std::optional<qint64> n;
    if (!readNumber(boards, 1, SimOptions::MaxBoards,
                    QStringLiteral("a number of boards from 1 to %1").arg(SimOptions::MaxBoards),
                    &n, error))
        return false;
    if (n) {
        o->numbered = true;
        o->boards.resize(size_t(*n));
    }
    return true;
}

bool OptionParser::readNumber(const QCommandLineOption &option, qint64 low, qint64 high,
                              const QString &range, std::optional<qint64> *value,
                              QString *error) const
{
    value->reset();
    if (!parser.isSet(option))
        return true;
    qint64 v = 0;
    if (!parseCount(parser.value(option), low, high, &v)) {
        *error = QStringLiteral("--%1 takes %2, not '%3'")
                     .arg(option.names().constFirst(), range, parser.value(option));
        return false;
    }
    *value = v;
    return true;
}

bool OptionParser::readSetup(BoardSetup *setup, QString *error) const
{
    if (parser.isSet(silent))
        setup->silent = true;
    if (parser.isSet(wrongId))
        setup->faults.wrongId = true;
    if (parser.isSet(nakErase))
        setup->faults.nakErase = true;
    if (parser.isSet(nakFlush))
        setup->faults.nakFlush = true;
    std::optional<qint64> v;
    if (!readNumber(delay, 0, 60000, QStringLiteral("a number of milliseconds from 0 to 60000"), &v,
                    error))
        return false;
    if (v)
        setup->replyDelayMs = int(*v);
    if (!readNumber(hangup, 1, qint64(1) << 48, QStringLiteral("a byte count of at least 1"), &v,
                    error))
        return false;
    if (v)
        setup->hangupAfter = *v;
    if (!readNumber(idleDrop, 1, 600000,
                    QStringLiteral("a number of milliseconds from 1 to 600000"), &v, error))
        return false;
    if (v)
        setup->faults.idleDrop = std::chrono::milliseconds(*v);
    const std::pair<const QCommandLineOption *, std::map<std::int64_t, int> *> repeats[] = {
        {&nakChunk, &setup->faults.nakChunks}, {&nakBlock, &setup->faults.nakBlocks}};
    for (const auto &[option, faults] : repeats) {
        for (const QString &spec : parser.values(*option)) {
            std::int64_t key = 0;
            int times = 0;
            if (!parseRepeatSpec(spec, &key, &times) || (option == &nakBlock && key < 1)) {
                *error =
                    QStringLiteral("--%1 takes K or K:T (K a %2 number from %3, T at least "
                                   "1), not '%4'")
                        .arg(option->names().first(),
                             option == &nakBlock ? QStringLiteral("block")
                                                 : QStringLiteral("chunk"),
                             option == &nakBlock ? QStringLiteral("1") : QStringLiteral("0"), spec);
                return false;
            }
            (*faults)[key] = times;
        }
    }
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
    // The arguments cut where each --board K starts: the first part is for every
    // board, each later part for its board K alone.
    struct Part
    {
        int board = 0;
        QStringList arguments;
    };
    std::vector<Part> parts(1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        QString number;
        if (argument == QLatin1String("--board")) {
            if (i + 1 == arguments.size()) {
                *text = QStringLiteral("--board needs a board number");
                return OptionsOutcome::Error;
            }
            number = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--board="))) {
            number = argument.mid(8);
        } else {
            parts.back().arguments.append(argument);
            continue;
        }
        qint64 k = 0;
        if (!parseCount(number, 1, SimOptions::MaxBoards, &k)) {
            *text = QStringLiteral("--board takes a board number from 1 to %1, not '%2'")
                        .arg(SimOptions::MaxBoards)
                        .arg(number);
            return OptionsOutcome::Error;
        }
        parts.push_back({int(k), {}});
    }

    SimOptions o;
    BoardSetup common;
    for (const Part &part : parts) {
        OptionParser p;
        if (!p.parser.parse(QStringList{arguments.value(0)} + part.arguments)) {
            *text = p.parser.errorText();
            return OptionsOutcome::Error;
        }
        if (p.parser.isSet(p.help)) {
            *text = p.parser.helpText();
            return OptionsOutcome::ShowHelp;
        }
        if (p.parser.isSet(p.version)) {
            *text = QStringLiteral("zuvo-sim ") + QStringLiteral(KERNWICK_SIM_VERSION);
            return OptionsOutcome::ShowVersion;
        }
        if (!p.parser.positionalArguments().isEmpty()) {
            *text = QStringLiteral("unexpected argument '%1'")
                        .arg(p.parser.positionalArguments().first());
            return OptionsOutcome::Error;
        }
        if (part.board == 0) {
            if (!p.readShared(&o, text) || !p.readSetup(&common, text))
                return OptionsOutcome::Error;
            o.boards.assign(o.boards.size(), common);
            continue;
        }
        for (const QCommandLineOption *shared : p.shared()) {
            if (p.parser.isSet(*shared)) {
                *text = QStringLiteral("--%1 is for every board; give it before the first "
                                       "--board")
                            .arg(shared->names().constLast());
                return OptionsOutcome::Error;
            }
        }
        if (part.board > int(o.boards.size())) {
            *text = QStringLiteral("--board %1 names no board: there %2 (see --boards)")
                        .arg(part.board)
                        .arg(o.boards.size() == 1 ? QStringLiteral("is one")
                                                  : QStringLiteral("are %1").arg(o.boards.size()));
            return OptionsOutcome::Error;
        }
        if (!p.readSetup(&o.boards[size_t(part.board - 1)], text))
            return OptionsOutcome::Error;
    }
    *options = std::move(o);
    return OptionsOutcome::Run;
}

QString SimOptions::linkOf(int k) const
{
    if (link.isEmpty() || !numbered)
        return link;
    return link + QString::number(k);
}

QString SimOptions::stateDirOf(int k) const
{
    if (stateDir.isEmpty() || !numbered)
        return stateDir;
    return QDir(stateDir).filePath(QString::number(k));
}

} // namespace Kernwick::Sim
