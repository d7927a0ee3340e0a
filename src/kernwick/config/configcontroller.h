#pragma once

#include "libkernwick/config/deviceconfig.h"

#include <QObject>

#include <functional>

class QWidget;

namespace Kernwick {

/// The board configuration the main window holds for the run (the defaults at
/// start-up), and the Configuration Editor command that edits it: the sheet works
/// on a copy, which becomes the current configuration only through Download.
class ConfigController : public QObject
{
    Q_OBJECT

public:
    /// `lineBaudRate` tells the rate of the port a download goes over (for the
    /// editor's note on settings that change the line); empty: the default rate.
    explicit ConfigController(QWidget *window, std::function<qint32()> lineBaudRate = {});

    const DeviceConfig &current() const { return m_current; }

    /// Opens the editor; on Download the edited values become current and
    /// downloadRequested() asks for them to be sent.
    void openEditor();

signals:
    void downloadRequested(const Kernwick::DeviceConfig &config);

private:
    QWidget *m_window;
    DeviceConfig m_current;
    std::function<qint32()> m_lineBaudRate;
};

} // namespace Kernwick
