#pragma once

#include <QString>

class QWidget;

namespace Kernwick {

/// The help pages: "Doc/index.htm" in the program's own folder.
QString helpIndexPath();

/// Help Topics: opens the help index with the desktop's handler for local web
/// pages, or says "Help files not found".
void openHelpTopics(QWidget *parent);

} // namespace Kernwick
