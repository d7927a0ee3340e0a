#pragma once

#include "libkernwick/device/porttable.h"

#include <QCommandLineParser>
#include <QString>

namespace Kernwick::Cli {

/// The options every board command takes: --port, --baud and --pace-ms.
struct BoardOptions
{
    QString portName;
    qint32 baudRate = SerialSelection::DefaultBaudRate;
    int paceMs = 20;
};

/// Adds --port, --baud and --pace-ms to a command's parser.
void addBoardOptions(QCommandLineParser &parser);

/// Reads the board options. Without --port the port is the one the desktop
/// program picks at start-up: the first present of com1 to com8. On a bad value
/// reports a usage error and returns false.
bool readBoardOptions(const QCommandLineParser &parser, BoardOptions *options, int *exitCode);

} // namespace Kernwick::Cli
