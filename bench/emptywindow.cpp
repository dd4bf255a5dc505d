// The floor for start-up: a Qt Widgets program that shows one empty window. With --text it also shows
// one line of text, which shows what loading the fonts alone adds.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Kestrola"));
    w.resize(426, 400);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        (new QLabel(QStringLiteral("Kestrola"), &w))->move(10, 10);
    w.show();
    return app.exec();
}
