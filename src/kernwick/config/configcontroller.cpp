#include "config/configcontroller.h"

#include "config/configsheet.h"
#include "widgets/messages.h"

#include <QWidget>

namespace Kernwick {

ConfigController::ConfigController(QWidget *window) : QObject(window), m_window(window)
{
}

void ConfigController::openEditor()
{
    ConfigSheet sheet(m_current, m_window);
    if (runDialog(sheet) != QDialog::Accepted)
        return;
    m_current = sheet.config();
    emit downloadRequested(m_current);
}

} // namespace Kernwick
