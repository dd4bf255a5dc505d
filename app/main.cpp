// Kestrola: load the main window, show it, and wait for events until the program ends.
#include "app/frmKestrola.h"
#include "platform/Look.h"

#include <QApplication>

int main(int argc, char **argv)
{
    const bool styleAsked = platform::styleRequested(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrola"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/kestrola-32.png")));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::applyClassicLook(app, styleAsked);

    platform::form<frmKestrola>().Show();
    const int status = app.exec();
    platform::unloadAll();
    return status;
}
