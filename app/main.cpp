// Kestrola: load the main window, show it, and wait for events until the program ends.
#include "app/frmKestrola.h"
#include "Pictures.h"
#include "platform/Look.h"

#include <QApplication>

#include <cstdio>

namespace {

// Without a display Qt would abort with a terse message; say plainly what is missing.
bool haveDisplay(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (!haveDisplay(argc, argv)) {
        std::fprintf(stderr, "kestrola: no display to show its window on (neither DISPLAY nor WAYLAND_DISPLAY "
                             "is set).\nStart it from a desktop session, or under a virtual display: "
                             "xvfb-run kestrola\n");
        return 1;
    }
    const bool styleAsked = platform::styleRequested(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrola"));
    QApplication::setWindowIcon(pictures::applicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    platform::applyClassicLook(app, styleAsked);

    platform::form<frmKestrola>().Show();
    const int status = app.exec();
    platform::unloadAll();
    return status;
}
