// Run-time services the handlers rely on: message box, beep, file length, launch, failures, text helpers.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace platform {

/** The failure a trapping handler catches: any failing service throws it. */
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) { }
    QString message() const { return m_message; }

private:
    QString m_message;
};

/** The application title, shown on every message box opened without a title. */
inline const QString ApplicationTitle = QStringLiteral("Kestrola");

// Message box codes: buttons plus icon.
enum MsgBoxCode : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
};

// Message box answers.
enum MsgBoxAnswer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

/**
 * Shows a modal message box and waits for the user. Code 0 is OK alone, 1 OK and Cancel, 4 Yes and No;
 * add 16 for the stop icon, 32 for the question mark, 48 for the exclamation mark. Returns the button
 * pressed; Esc and the close box answer Cancel (or No on a Yes/No box, OK on an OK box).
 * An empty title means the application title.
 */
int MsgBox(const QString &prompt, int code = vbOKOnly, const QString &title = QString());

/** One system beep. */
void Beep();

/** The length of a file in bytes (64-bit); throws Failure when it cannot be found or opened. */
qint64 FileLen(const QString &path);

/**
 * Starts the program named by the first word of commandLine, the other words as its arguments (split at
 * runs of blanks), and returns at once with its process id. A bare program name is looked for in
 * Kestrola's own folder, then along PATH. Throws Failure when it cannot be found or started.
 */
qint64 Shell(const QString &commandLine, int windowStyle = 1);

/** Number to text: one leading space for a number that is not negative, "-" for a negative one. */
QString Str(qint64 number);

// Text helpers.
QString Left(const QString &text, int n);
QString Right(const QString &text, int n);
QString Trim(const QString &text); // leading and trailing spaces only
QString String(int n, QChar c);

/**
 * For tests: replace the services that need a person or touch the world. An empty function restores
 * the real service.
 */
namespace hooks {
using MsgBoxHook = std::function<int(const QString &prompt, int code, const QString &title)>;
using BeepHook = std::function<void()>;
using LaunchHook = std::function<qint64(const QString &commandLine, const QString &program, const QStringList &arguments)>;
void setMsgBox(MsgBoxHook hook);
void setBeep(BeepHook hook);
void setLaunch(LaunchHook hook);
} // namespace hooks

/** Where Shell looks for a bare program name: the folder of the running executable, then PATH. */
QString findProgram(const QString &name);

/** Splits a command line at runs of blanks; empty words disappear. */
QStringList splitCommandLine(const QString &commandLine);

} // namespace platform
