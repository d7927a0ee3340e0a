#include "config/configcontroller.h"

#include "config/configsheet.h"
#include "libkernwick/device/porttable.h"
#include "widgets/messages.h"

#include <QWidget>

namespace Kernwick {

ConfigController::ConfigController(QWidget *window, std::function<qint32()> lineBaudRate)
    : QObject(window), m_window(window), m_lineBaudRate(std::move(lineBaudRate))
{
}

void ConfigController::openEditor()
{
    ConfigSheet sheet(m_current, m_window,
                      m_lineBaudRate ? m_lineBaudRate() : SerialSelection::DefaultBaudRate);
    if (runDialog(sheet) != QDialog::Accepted)
        return;
    m_current = sheet.config();
    emit downloadRequested(m_current);
}

} // namespace Kernwick
