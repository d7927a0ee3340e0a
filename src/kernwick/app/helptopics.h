#pragma once

#include <QString>

#include <functional>

class QUrl;
class QWidget;

namespace Kernwick {

/// The help pages: "Doc/index.htm" in the program's own folder.
QString helpIndexPath();

/// Opens an address with the desktop's handler; false when none could be started.
using UrlOpener = std::function<bool(const QUrl &)>;

/// Help Topics: opens the help index `index` with `open` (the desktop's handler for
/// local web pages). Says "Help files not found" when the file is missing, and
/// gives the file's path when no browser could be started for it.
void openHelpTopics(QWidget *parent, const QString &index = helpIndexPath(),
                    const UrlOpener &open = {});

} // namespace Kernwick
