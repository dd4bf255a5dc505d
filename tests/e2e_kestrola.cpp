// End to end: the real kestrola (and pkunzip.exe) under a virtual X display, driven like a user would.
#include "ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

/** A little of the X protocol: finding windows by title, their place, and the close box. */
class XDisplay
{
public:
    XDisplay() : m_dpy(XOpenDisplay(nullptr)) { }
    ~XDisplay()
    {
        if (m_dpy)
            XCloseDisplay(m_dpy);
    }
    bool ok() const { return m_dpy != nullptr; }

    ::Window find(const QString &title) const { return find(DefaultRootWindow(m_dpy), title); }

    /** Outer geometry in screen coordinates. */
    QRect geometry(::Window w) const
    {
        XWindowAttributes a;
        XGetWindowAttributes(m_dpy, w, &a);
        int x = 0, y = 0;
        ::Window child;
        XTranslateCoordinates(m_dpy, w, DefaultRootWindow(m_dpy), 0, 0, &x, &y, &child);
        return QRect(x, y, a.width, a.height);
    }

    QSize screen() const
    {
        return QSize(DisplayWidth(m_dpy, DefaultScreen(m_dpy)), DisplayHeight(m_dpy, DefaultScreen(m_dpy)));
    }

    /** What a window manager sends when the user clicks the close box. */
    void close(::Window w) const
    {
        XEvent e {};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(m_dpy, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(m_dpy, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_dpy, w, False, NoEventMask, &e);
        XFlush(m_dpy);
    }

private:
    QString title(::Window w) const
    {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char *data = nullptr;
        const Atom netName = XInternAtom(m_dpy, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(m_dpy, "UTF8_STRING", False);
        QString result;
        if (XGetWindowProperty(m_dpy, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data)
                == Success
            && data) {
            result = QString::fromUtf8(reinterpret_cast<char *>(data), int(count));
            XFree(data);
        }
        return result;
    }

    ::Window find(::Window w, const QString &wanted) const
    {
        XWindowAttributes a;
        if (XGetWindowAttributes(m_dpy, w, &a) && a.map_state == IsViewable && title(w) == wanted)
            return w;
        ::Window root, parent, *children = nullptr;
        unsigned int n = 0;
        ::Window found = 0;
        if (XQueryTree(m_dpy, w, &root, &parent, &children, &n)) {
            for (unsigned int i = 0; i < n && !found; ++i)
                found = find(children[i], wanted);
            if (children)
                XFree(children);
        }
        return found;
    }

    ::Display *m_dpy;
};

int xdo(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("xdotool"), args);
}

void focusAndKey(::Window w, const QString &keys)
{
    xdo({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(w) });
    for (const QString &k : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        xdo({ QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k });
        QTest::qWait(150); // a key press is handled before the next one arrives, as with a person
    }
}

} // namespace

class e2e_kestrola : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsCentredWithItsClientArea();
    void ends_data();
    void ends();
    void expandsAnArchive();

private:
    ::Window start();
    bool ended() const
    {
        return m_kestrola->state() == QProcess::NotRunning || m_kestrola->waitForFinished(5000);
    }

    XDisplay m_x;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_kestrola;
};

void e2e_kestrola::initTestCase()
{
    QVERIFY2(m_x.ok(), "no X display: run under xvfb-run");
}

void e2e_kestrola::init()
{
    m_home = std::make_unique<QTemporaryDir>();
}

void e2e_kestrola::cleanup()
{
    if (m_kestrola && m_kestrola->state() != QProcess::NotRunning) {
        m_kestrola->kill();
        m_kestrola->waitForFinished();
    }
    m_kestrola.reset();
}

::Window e2e_kestrola::start()
{
    m_kestrola = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home->path()); // drive C
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_kestrola->setProcessEnvironment(env);
    m_kestrola->setWorkingDirectory(m_home->path());
    m_kestrola->setProcessChannelMode(QProcess::ForwardedChannels);
    m_kestrola->start(QStringLiteral(KESTROLA_BIN), {});
    if (!m_kestrola->waitForStarted())
        return 0;
    ::Window w = 0;
    for (int i = 0; i < 100 && !w; ++i) {
        QTest::qWait(100);
        w = m_x.find(QStringLiteral("Kestrola"));
    }
    return w;
}

void e2e_kestrola::startsCentredWithItsClientArea()
{
    const ::Window w = start();
    QVERIFY(w);
    const QRect r = m_x.geometry(w);
    const QSize screen = m_x.screen();
    QCOMPARE(r.width(), 426);
    const int menuBar = r.height() - 382; // the client area lies below the menu bar
    QVERIFY2(menuBar >= 15 && menuBar <= 32, qPrintable(QString::number(r.height())));
    QVERIFY(qAbs(r.x() - (screen.width() - r.width()) / 2) <= 1);
    QVERIFY(qAbs(r.y() - (screen.height() - r.height()) / 2) <= 1);
}

void e2e_kestrola::ends_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Alt+X") << "alt+x";
    QTest::newRow("close box") << "close";
    QTest::newRow("File, Exit") << "menu";
}

void e2e_kestrola::ends()
{
    QFETCH(QString, how);
    const ::Window w = start();
    QVERIFY(w);
    if (how == QLatin1String("close")) {
        m_x.close(w);
    } else if (how == QLatin1String("menu")) {
        const QRect r = m_x.geometry(w);
        xdo({ QStringLiteral("mousemove"), QString::number(r.x() + 14), QString::number(r.y() + 8) });
        xdo({ QStringLiteral("click"), QStringLiteral("1") });
        QTest::qWait(300);
        focusAndKey(w, QStringLiteral("x")); // E&xit in the open File menu
        if (m_kestrola->state() != QProcess::NotRunning) // the menu popup may hold the focus itself
            xdo({ QStringLiteral("key"), QStringLiteral("x") });
    } else {
        focusAndKey(w, how);
    }
    QVERIFY(ended());
    QCOMPARE(m_kestrola->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_kestrola->exitCode(), 0);
}

void e2e_kestrola::expandsAnArchive()
{
#ifndef PKUNZIP_BIN
    QSKIP("pkunzip.exe is not built");
#else
    QVERIFY(QFile::exists(QStringLiteral(PKUNZIP_BIN)));
    QDir home(m_home->path());
    home.mkpath(QStringLiteral("Downloads"));
    home.mkpath(QStringLiteral("Expanded"));
    QFile other(home.filePath(QStringLiteral("Downloads/a note.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    QFile archive(home.filePath(QStringLiteral("Downloads/Tools Archive.zip")));
    QVERIFY(archive.open(QIODevice::WriteOnly));
    archive.write(buildZip({ ZipItem::file("readme.txt", "hello from the archive\n"),
                             ZipItem::file("docs/guide.txt", "a guide\n") }));
    archive.close();

    const ::Window w = start();
    QVERIFY(w);
    // the folder list has the focus: the arrow opens Downloads, the first folder below C:\ .
    // Tab twice reaches the file list, the arrow highlights the archive, Alt+Z asks to confirm.
    focusAndKey(w, QStringLiteral("Down Tab Tab Down alt+z"));
    ::Window box = 0;
    for (int i = 0; i < 50 && !box; ++i) {
        QTest::qWait(100);
        box = m_x.find(QStringLiteral("Continue with Procedure?"));
    }
    QVERIFY(box);
    focusAndKey(box, QStringLiteral("Return"));

    ::Window dialog = 0;
    for (int i = 0; i < 50 && !dialog; ++i) {
        QTest::qWait(100);
        dialog = m_x.find(QStringLiteral("File UnZip Options"));
    }
    QVERIFY(dialog);
    // Cancel has the focus; Tab reaches the folder list at C:\ ; its second folder is Expanded
    focusAndKey(dialog, QStringLiteral("Tab Down Down Return Tab space"));

    const QString readme = home.filePath(QStringLiteral("Expanded/readme.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(readme) && QFileInfo(readme).size() == 23, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("Expanded/docs/guide.txt"))), 15000);
    // the dialog closed itself at once and the main window is usable again
    QCOMPARE(m_x.find(QStringLiteral("File UnZip Options")), ::Window(0));
    focusAndKey(w, QStringLiteral("alt+x"));
    QVERIFY(ended());
#endif
}

QTEST_GUILESS_MAIN(e2e_kestrola)
#include "e2e_kestrola.moc"
