#include "Services.h"

#include "DriveTable.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

namespace platform {

namespace {

struct Hooks
{
    hooks::MsgBoxHook msgBox;
    hooks::BeepHook beep;
    hooks::LaunchHook launch;
};

Hooks &theHooks()
{
    static Hooks h;
    return h;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isExecutableFile(const QString &path)
{
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}

} // namespace

namespace hooks {
void setMsgBox(MsgBoxHook hook) { theHooks().msgBox = std::move(hook); }
void setBeep(BeepHook hook) { theHooks().beep = std::move(hook); }
void setLaunch(LaunchHook hook) { theHooks().launch = std::move(hook); }
} // namespace hooks

int MsgBox(const QString &prompt, int code, const QString &title)
{
    const QString caption = title.isEmpty() ? ApplicationTitle : title;
    if (theHooks().msgBox)
        return theHooks().msgBox(prompt, code, caption);

    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(prompt);
    switch (code & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }

    // Button captions as the classic boxes show them, Esc and the close box giving the last one.
    QList<QPair<QPushButton *, int>> buttons;
    auto add = [&](const QString &text, QMessageBox::ButtonRole role, int answer) {
        buttons.append({ box.addButton(text, role), answer });
    };
    switch (code & 0x0f) {
    case vbOKCancel:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, vbOK);
        add(QStringLiteral("Cancel"), QMessageBox::RejectRole, vbCancel);
        break;
    case vbYesNo:
        add(QStringLiteral("&Yes"), QMessageBox::YesRole, vbYes);
        add(QStringLiteral("&No"), QMessageBox::NoRole, vbNo);
        break;
    default:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, vbOK);
        break;
    }
    box.setDefaultButton(buttons.first().first);
    box.setEscapeButton(buttons.last().first);
    box.exec();
    for (const auto &[button, answer] : std::as_const(buttons)) {
        if (box.clickedButton() == button)
            return answer;
    }
    return buttons.last().second;
}

void Beep()
{
    if (theHooks().beep) {
        theHooks().beep();
        return;
    }
    QApplication::beep();
}

qint64 FileLen(const QString &path)
{
    const QString native = DriveTable::instance().toNative(path);
    const QFileInfo fi(native);
    if (native.isEmpty() || !fi.exists())
        throw Failure(QStringLiteral("File not found: %1").arg(path));
    if (fi.isDir())
        throw Failure(QStringLiteral("Not a file: %1").arg(path));
    return fi.size();
}

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList words;
    QString word;
    for (const QChar c : commandLine) {
        if (isBlank(c)) {
            if (!word.isEmpty())
                words << word;
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

QString findProgram(const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':'))) {
        const QString native = DriveTable::instance().toNative(name);
        return isExecutableFile(native) ? native : QString();
    }
    QStringList folders { QCoreApplication::applicationDirPath() };
    const QString path = qEnvironmentVariable("PATH");
    for (const QString &dir : path.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // the current folder is not searched, as is usual on Linux
        if (QDir::isAbsolutePath(dir))
            folders << dir;
    }
    for (const QString &dir : std::as_const(folders)) {
        const QString candidate = dir + QLatin1Char('/') + name;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return QString();
}

qint64 Shell(const QString &commandLine, int windowStyle)
{
    Q_UNUSED(windowStyle) // the started program opens its own window
    QStringList words = splitCommandLine(commandLine);
    if (words.isEmpty())
        throw Failure(QStringLiteral("No program named"));
    const QString name = words.takeFirst();
    const QString program = findProgram(name);
    if (program.isEmpty())
        throw Failure(QStringLiteral("File not found: %1").arg(name));
    if (theHooks().launch)
        return theHooks().launch(commandLine, program, words);
    qint64 pid = 0;
    if (!QProcess::startDetached(program, words, QDir::currentPath(), &pid))
        throw Failure(QStringLiteral("Cannot start %1").arg(program));
    return pid;
}

QString Str(qint64 number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

QString Left(const QString &text, int n)
{
    return text.left(qMax(0, n));
}

QString Right(const QString &text, int n)
{
    return text.right(qMax(0, n));
}

QString Trim(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b);
}

QString String(int n, QChar c)
{
    return n > 0 ? QString(n, c) : QString();
}

} // namespace platform
