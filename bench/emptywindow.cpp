// The floor for start-up: a Qt Widgets program that shows one empty window.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Kestrola"));
    w.resize(426, 400);
    w.show();
    return app.exec();
}
