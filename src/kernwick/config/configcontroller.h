#pragma once

#include "libkernwick/config/deviceconfig.h"

#include <QObject>

class QWidget;

namespace Kernwick {

/// The board configuration the main window holds for the run (the defaults at
/// start-up), and the Configuration Editor command that edits it: the sheet works
/// on a copy, which becomes the current configuration only through Download.
class ConfigController : public QObject
{
    Q_OBJECT

public:
    explicit ConfigController(QWidget *window);

    const DeviceConfig &current() const { return m_current; }

    /// Opens the editor; on Download the edited values become current and
    /// downloadRequested() asks for them to be sent.
    void openEditor();

signals:
    void downloadRequested(const Kernwick::DeviceConfig &config);

private:
    QWidget *m_window;
    DeviceConfig m_current;
};

} // namespace Kernwick
