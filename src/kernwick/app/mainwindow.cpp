#include "app/mainwindow.h"

#include <QLabel>

namespace Kernwick {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("ZUVO Kernwick"));
    resize(780, 550);
    auto *placeholder = new QLabel(tr("The font editor is on its way."), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
}

} // namespace Kernwick
