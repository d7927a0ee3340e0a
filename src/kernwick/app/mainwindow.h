#pragma once

#include <QMainWindow>

namespace Kernwick {

/// The program's main window. For now it only carries the caption and size; the
/// editor, menus and serial commands come later.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace Kernwick
