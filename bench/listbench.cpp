// Times opening a huge folder in the file browser against a bare read of the same folder.
//
// Prints the median of each over the runs, and their ratio. Usage: listbench FOLDER [RUNS]
#include "app/frmKestrola.h"
#include "platform/DriveTable.h"
#include "platform/Form.h"
#include "platform/ListControls.h"
#include "ui_frmKestrola.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// What any program must do to list a folder: read every entry's name.
double bareRead(const QByteArray &folder)
{
    QElapsedTimer t;
    t.start();
    std::vector<std::string> names;
    DIR *d = opendir(folder.constData());
    while (dirent *e = readdir(d))
        names.emplace_back(e->d_name);
    closedir(d);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: listbench FOLDER [RUNS]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 11;
    const QString parent = folder.section(QLatin1Char('/'), 0, -2);
    platform::DriveTable::setDrives({ platform::Drive { QLatin1Char('C'), parent, QStringLiteral("bench"), true, false } },
                                    parent);
    const QString dos = platform::DriveTable::instance().toDos(folder);

    frmKestrola &window = platform::form<frmKestrola>();
    window.Show();
    QCoreApplication::processEvents();
    Ui::frmKestrola &ui = window.ui();
    std::vector<double> bare, open;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(bareRead(folder.toLocal8Bit()));

        ui.dirDirectory->setPath(QStringLiteral("C:\\"));
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        // the user opens the folder: the three lists follow, read it afresh and are laid out again
        ui.dirDirectory->setPath(dos);
        QCoreApplication::processEvents();
        open.push_back(t.nsecsElapsed() / 1e6);
    }
    const double b = median(bare), o = median(open);
    std::printf("files listed             %d\n", int(ui.filFiles->ListCount()));
    std::printf("bare directory read      %8.1f ms\n", b);
    std::printf("open folder (all lists)  %8.1f ms   %.2fx bare\n", o, o / b);
    platform::unloadAll();
    return 0;
}
