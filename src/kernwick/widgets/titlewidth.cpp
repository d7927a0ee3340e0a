#include "widgets/titlewidth.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

namespace Kernwick {

void fitTitle(QWidget *window)
{
    // Title bars often use a bold and somewhat larger face than the dialog's.
    QFont title = window->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.2);
    const int needed = QFontMetrics(title).horizontalAdvance(window->windowTitle()) + TitleBarRoom;
    window->setMinimumWidth(std::max(window->minimumWidth(), needed));
}

} // namespace Kernwick
