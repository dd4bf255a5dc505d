#include "Look.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include <cstring>

namespace platform {

void applyClassicLook(QApplication &app, bool styleRequested)
{
    if (!styleRequested) {
        if (QStyle *classic = QStyleFactory::create(QStringLiteral("Windows")))
            QApplication::setStyle(classic);
    }
    QFont dialog(QStringLiteral("Liberation Sans"));
    dialog.setPointSizeF(8.25);
    app.setFont(dialog);
}

bool styleRequested(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-style") == 0 || std::strncmp(argv[i], "-style=", 7) == 0
            || std::strcmp(argv[i], "--style") == 0 || std::strncmp(argv[i], "--style=", 8) == 0)
            return true;
    }
    return false;
}

} // namespace platform
