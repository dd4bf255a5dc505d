// Shared test helpers: answering message boxes, counting beeps, recording launches, temporary drives.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>

class QWidget;

namespace testsupport {

struct Box
{
    QString prompt;
    int code;
    QString title;
};

struct Launch
{
    QString commandLine;
    QString program;
    QStringList arguments;
};

/**
 * While alive, message boxes take their answers from a queue and are recorded; beeps are counted;
 * launches are recorded and start nothing (unless realLaunches is set). A box with no queued answer
 * fails the running test at once and answers Cancel (OK on an OK-only box).
 */
class Services
{
public:
    Services();
    ~Services();
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    void answer(int answer) { m_answers.push_back(answer); }
    /** Lets launches through to the real system. */
    void allowRealLaunches();

    QList<Box> boxes;
    int beeps = 0;
    QList<Launch> launches;
    std::deque<int> &pendingAnswers() { return m_answers; }

private:
    std::deque<int> m_answers;
};

/**
 * A set of drives on temporary folders: C:, D: and E: are folders under one temporary root; F: is listed
 * but not ready; Z: is the temporary root itself. The process's current folder is C:\ unless given.
 */
class TempDrives
{
public:
    explicit TempDrives(const QString &currentRelativeToC = QString());
    ~TempDrives();

    QString root() const { return m_dir.path(); }
    /** The native folder a drive letter stands for. */
    QString native(QChar letter) const;
    /** Creates a file (with `size` bytes of 'x') at a DOS path such as "C:\DATA\A.ZIP"; folders made as needed. */
    QString makeFile(const QString &dosPath, qint64 size = 0) const;
    /** Creates a folder at a DOS path. */
    QString makeFolder(const QString &dosPath) const;
    /** The native path of a DOS path. */
    QString nativeOf(const QString &dosPath) const;
    /** Makes a drive not ready (its folder vanishes) or ready again. */
    void setReady(QChar letter, bool ready);

private:
    void install(const QString &currentNative);

    QTemporaryDir m_dir;
    QString m_current;
};

/** The child widget called `name` of a window; fails the test when there is none. */
QWidget *child(QWidget *window, const char *name);

/** Clicks a button-like child of a window by object name. */
void click(QWidget *window, const char *name);

/** Resets the windows and services between tests: unloads every window. */
void resetWindows();

} // namespace testsupport
