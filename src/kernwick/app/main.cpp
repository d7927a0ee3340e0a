// kernwick: the desktop program.

#include "app/filecontroller.h"
#include "app/mainwindow.h"
#include "app/recentfiles.h"
#include "app/serialcontroller.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Kernwick::RecentFiles::Application));
    QApplication::setOrganizationName(QString::fromLatin1(Kernwick::RecentFiles::Organization));
    QApplication::setApplicationVersion(QStringLiteral(KERNWICK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The font editor and download tool for the ZUVO overlay board."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FONT"), QStringLiteral("A font file to open."),
                                 QStringLiteral("[FONT]"));
    parser.process(app);

    Kernwick::MainWindow window;
    window.serial().setTableFromSystem(true);
    window.restoreSettings();
    const QStringList files = parser.positionalArguments();
    // A font named on the command line that cannot be opened ends the program,
    // after its failure has been shown.
    if (!files.isEmpty() && !window.files().openPath(files.first()))
        return 1;
    window.show();
    return app.exec();
}
