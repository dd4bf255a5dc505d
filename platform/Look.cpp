#include "Look.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWidget>

#include <cstring>

namespace platform {

namespace {

/**
 * The classic style, with the menu bar's overflow chevron drawn here: the style would load it from a
 * picture file, and reading the first picture file makes Qt load every image plugin it has, which
 * costs more at start-up than building the main window.
 */
class ClassicStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which != SP_ToolBarHorizontalExtensionButton && which != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        QPixmap chevron(8, 8);
        chevron.fill(Qt::transparent);
        QPainter p(&chevron);
        p.setPen(Qt::black);
        for (int i = 0; i < 2; ++i) {
            const int x = 1 + 4 * i;
            if (which == SP_ToolBarHorizontalExtensionButton) {
                p.drawLine(x, 1, x + 2, 3);
                p.drawLine(x + 2, 4, x, 6);
            } else {
                p.drawLine(1, x, 3, x + 2);
                p.drawLine(4, x + 2, 6, x);
            }
        }
        return QIcon(chevron);
    }
};

} // namespace

void applyClassicLook(QApplication &app, bool styleRequested)
{
    if (!styleRequested) {
        if (QStyle *classic = QStyleFactory::create(QStringLiteral("Windows")))
            QApplication::setStyle(new ClassicStyle(classic));
    }
    QFont dialog(QStringLiteral("Liberation Sans"));
    dialog.setPointSizeF(8.25);
    app.setFont(dialog);
}

void setWindowFrame(QWidget *window, bool minimizeButton)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint;
    if (minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);
}

void setPointSize(QWidget *control, double points)
{
    QFont f = control->font();
    f.setPointSizeF(points);
    control->setFont(f);
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
