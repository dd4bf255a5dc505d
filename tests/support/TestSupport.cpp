#include "TestSupport.h"

#include "platform/DriveTable.h"
#include "platform/Form.h"
#include "platform/Services.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace testsupport {

Services::Services()
{
    platform::hooks::setMsgBox([this](const QString &prompt, int code, const QString &title) {
        boxes.append({ prompt, code, title });
        if (m_answers.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected message box \"%1\": %2").arg(title, prompt)),
                         __FILE__, __LINE__);
            return (code & 0x0f) == platform::vbOKOnly ? int(platform::vbOK)
                : (code & 0x0f) == platform::vbYesNo   ? int(platform::vbNo)
                                                       : int(platform::vbCancel);
        }
        const int a = m_answers.front();
        m_answers.pop_front();
        return a;
    });
    platform::hooks::setBeep([this] { ++beeps; });
    platform::hooks::setLaunch([this](const QString &commandLine, const QString &program,
                                      const QStringList &arguments) -> qint64 {
        launches.append({ commandLine, program, arguments });
        return 4242;
    });
}

void Services::allowRealLaunches()
{
    platform::hooks::setLaunch({});
}

Services::~Services()
{
    platform::hooks::setMsgBox({});
    platform::hooks::setBeep({});
    platform::hooks::setLaunch({});
}

TempDrives::TempDrives(const QString &currentRelativeToC)
{
    QDir root(m_dir.path());
    for (const char *d : { "c", "d", "e", "f" })
        root.mkpath(QString::fromLatin1(d));
    install(native(QLatin1Char('C')));
    if (!currentRelativeToC.isEmpty()) {
        const QString current = nativeOf(currentRelativeToC);
        QDir().mkpath(current);
        install(current);
    }
}

TempDrives::~TempDrives()
{
    platform::DriveTable::resetToSystem();
}

void TempDrives::install(const QString &currentNative)
{
    m_current = currentNative;
    using platform::Drive;
    QList<Drive> drives {
        Drive { QLatin1Char('C'), native(QLatin1Char('C')), QStringLiteral("home"), true, false },
        Drive { QLatin1Char('D'), native(QLatin1Char('D')), QStringLiteral("usb"), true, false },
        Drive { QLatin1Char('E'), native(QLatin1Char('E')), QStringLiteral("card"), true, false },
        Drive { QLatin1Char('F'), native(QLatin1Char('F')), QStringLiteral("floppy"), true, true },
        Drive { QLatin1Char('Z'), m_dir.path(), QString(), true, false },
    };
    platform::DriveTable::setDrives(drives, currentNative);
}

QString TempDrives::native(QChar letter) const
{
    if (letter.toUpper() == QLatin1Char('Z'))
        return m_dir.path();
    return m_dir.path() + QLatin1Char('/') + letter.toLower();
}

QString TempDrives::nativeOf(const QString &dosPath) const
{
    return platform::DriveTable::instance().toNative(dosPath);
}

QString TempDrives::makeFile(const QString &dosPath, qint64 size) const
{
    const QString path = nativeOf(dosPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    if (size > 0)
        f.write(QByteArray(size, 'x'));
    return path;
}

QString TempDrives::makeFolder(const QString &dosPath) const
{
    const QString path = nativeOf(dosPath);
    QDir().mkpath(path);
    return path;
}

void TempDrives::setReady(QChar letter, bool ready)
{
    const QString path = native(letter);
    if (ready)
        QDir().mkpath(path);
    else
        QDir(path).removeRecursively();
}

QWidget *child(QWidget *window, const char *name)
{
    auto *w = window->findChild<QWidget *>(QLatin1String(name));
    if (!w)
        QTest::qFail(qPrintable(QStringLiteral("no control %1").arg(QLatin1String(name))), __FILE__, __LINE__);
    return w;
}

void click(QWidget *window, const char *name)
{
    auto *b = qobject_cast<QAbstractButton *>(child(window, name));
    if (b)
        b->click();
}

void resetWindows()
{
    platform::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace testsupport
