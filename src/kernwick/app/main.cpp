#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZUVO Kernwick"));
    Kernwick::MainWindow window;
    window.show();
    return app.exec();
}
