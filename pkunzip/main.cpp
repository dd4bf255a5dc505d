// pkunzip.exe: expands a .zip archive into a folder, showing a window when there is a display.
#include "Expander.h"
#include "ProgressWindow.h"

#include "platform/ShortName.h"

#include "Pictures.h"
#include "platform/Look.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kHelp[]
    = "Usage: pkunzip.exe ARCHIVE [DESTFOLDER]\n"
      "\n"
      "Expands the .zip archive ARCHIVE into the folder DESTFOLDER (default: the current folder).\n"
      "Both may be DOS paths in short (C:\\MYDOWN~1\\TOOLSA~1.ZIP) or long form, where C: is your home\n"
      "folder and Z: the whole file system, or ordinary paths. A missing DESTFOLDER is created when its\n"
      "parent folder exists.\n"
      "\n"
      "Nothing is written outside DESTFOLDER: names with \"..\", absolute names (\"/x\", \"C:\\x\") and "
      "links\n"
      "leading outside are refused, and no file is written through a link. Both \"/\" and \"\\\" separate\n"
      "folders in names. Names without the archive's UTF-8 mark are read as DOS code page 437.\n"
      "An existing file is never replaced silently: with a display you are asked (Yes, No, Yes to all,\n"
      "No to all); without one it is kept and reported. Damaged, truncated, password-protected or\n"
      "unsupported entries are reported and skipped, and the others are still expanded. Device nodes,\n"
      "pipes and setuid bits are never created. File and folder times are restored. When the expanded\n"
      "size exceeds the free space of DESTFOLDER, nothing is written.\n"
      "\n"
      "With a display (DISPLAY or WAYLAND_DISPLAY set, QT_QPA_PLATFORM not offscreen or minimal) a window\n"
      "shows the progress and has a Cancel button; it closes itself when everything was expanded and\n"
      "otherwise lists the problems. Without a display each file expanded is printed on standard output\n"
      "and each problem on standard error.\n"
      "\n"
      "Exit status:\n"
      "  0  every entry was expanded\n"
      "  1  some entries were not expanded (each is reported); the others were\n"
      "  2  the command line was wrong\n"
      "  3  the archive is missing, a folder, unreadable, or not a usable zip archive\n"
      "  4  the destination folder cannot be found, made or written to\n"
      "  5  not enough free space in the destination; nothing was written\n"
      "  6  cancelled; files already expanded were kept, no partial file was left\n";

void usageError(const char *what)
{
    std::fprintf(
        stderr, "pkunzip.exe: %s\nUsage: pkunzip.exe ARCHIVE [DESTFOLDER]; see pkunzip.exe --help.\n", what);
}

bool looksLikeDrivePath(const QString &arg)
{
    return arg.size() >= 2 && arg.at(1) == QLatin1Char(':') && arg.at(0).isLetter();
}

// The native path of an existing file or folder named by a DOS short or long path or a native path.
QString resolveExisting(const QString &arg)
{
    const QString resolved = platform::resolveDosPath(arg);
    if (!resolved.isEmpty())
        return resolved;
    if (!looksLikeDrivePath(arg)) {
        const QFileInfo fi(arg);
        if (fi.exists())
            return fi.absoluteFilePath();
    }
    return QString();
}

// Where a destination that does not exist yet would be made, or empty when its parent is missing too.
QString resolveForCreate(const QString &arg)
{
    const QString resolved = platform::resolveDosPathForCreate(arg);
    if (!resolved.isEmpty())
        return resolved;
    if (!looksLikeDrivePath(arg)) {
        const QFileInfo fi(arg);
        if (fi.absoluteDir().exists())
            return fi.absoluteFilePath();
    }
    return QString();
}

bool platformIsHeadless(const char *qpa)
{
    if (!qpa || !*qpa)
        return false;
    const std::string first(qpa, std::strcspn(qpa, ";:"));
    return first == "offscreen" || first == "minimal" || first == "minimalegl";
}

bool haveDisplay()
{
    const char *display = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
        return false;
    return !platformIsHeadless(std::getenv("QT_QPA_PLATFORM"));
}

// Prints one line per expanded file on standard output and each problem on standard error.
class ConsoleObserver : public pkunzip::ExpandObserver {
public:
    void expanded(const std::string &path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::fputs("  expanded: ", stdout);
        std::fputs(path.c_str(), stdout);
        std::fputc('\n', stdout);
    }
    void problem(const std::string &message) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::fflush(stdout);
        std::fprintf(stderr, "pkunzip.exe: %s\n", message.c_str());
    }
    pkunzip::ReplaceAnswer askReplace(const std::string &, const std::string &) override
    {
        return pkunzip::ReplaceAnswer::No;
    }

private:
    std::mutex m_mutex;
};

int runHeadless(const pkunzip::ExpandRequest &request)
{
    static char buffer[1 << 16];
    if (!isatty(STDOUT_FILENO))
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    ConsoleObserver console;
    pkunzip::Expander expander(request, console);
    const int status = expander.run();
    const unsigned files = expander.filesExpanded(), problems = expander.problemCount();
    if (status == pkunzip::ExitOk || status == pkunzip::ExitSomeNotExpanded)
        std::printf("%u %s expanded from %s into %s.\n", files, files == 1 ? "file" : "files",
            request.archiveLabel.c_str(), request.destination.c_str());
    std::fflush(stdout);
    if (status == pkunzip::ExitSomeNotExpanded)
        std::fprintf(stderr,
            "pkunzip.exe: %u %s while expanding %s (listed above); the other files were expanded.\n",
            problems, problems == 1 ? "problem" : "problems", request.archiveLabel.c_str());
    return status;
}

// Drops Qt's complaints while it looks for a display that may not answer; the fallback is headless.
void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

int main(int argc, char **argv)
{
    std::string archiveArg, destArg;
    int positional = 0;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (!optionsEnd && (!std::strcmp(a, "--help") || !std::strcmp(a, "-h") || !std::strcmp(a, "/?"))) {
            std::fputs(kHelp, stdout);
            return pkunzip::ExitOk;
        }
        if (!optionsEnd && !std::strcmp(a, "--")) {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && a[0] == '-' && a[1] != '\0') {
            usageError((std::string("unknown option ") + a + " (no options are needed).").c_str());
            return pkunzip::ExitUsage;
        }
        ++positional;
        if (positional == 1)
            archiveArg = a;
        else if (positional == 2)
            destArg = a;
    }
    if (positional == 0) {
        usageError("no archive given.");
        return pkunzip::ExitUsage;
    }
    if (positional > 2) {
        usageError("too many arguments: give the archive and, optionally, the destination folder.");
        return pkunzip::ExitUsage;
    }

    pkunzip::ExpandRequest request;
    request.archiveLabel = archiveArg;
    const QString archiveText = QString::fromLocal8Bit(archiveArg.c_str());
    const QString archive = resolveExisting(archiveText);
    request.archive = archive.isEmpty() ? archiveArg : QFile::encodeName(archive).toStdString();

    const QString destText = destArg.empty() ? QStringLiteral(".") : QString::fromLocal8Bit(destArg.c_str());
    const QString dest = resolveExisting(destText);
    if (!dest.isEmpty()) {
        request.destination = QFile::encodeName(dest).toStdString();
    } else {
        const QString toMake = resolveForCreate(destText);
        request.destination = toMake.isEmpty() ? destArg : QFile::encodeName(toMake).toStdString();
        request.makeDestination = !toMake.isEmpty();
    }

    if (haveDisplay()) {
        // Fall back to no display when the one named cannot be reached, instead of aborting.
        const char *qpa = std::getenv("QT_QPA_PLATFORM");
        std::string platforms;
        if (qpa && *qpa)
            platforms = std::string(qpa) + ";offscreen";
        else
            platforms = std::string(std::getenv("WAYLAND_DISPLAY") ? "wayland;" : "")
                + (std::getenv("DISPLAY") ? "xcb;" : "") + "offscreen";
        setenv("QT_QPA_PLATFORM", platforms.c_str(), 1);
        const QtMessageHandler previous = qInstallMessageHandler(quietMessages);
        QApplication app(argc, argv);
        qInstallMessageHandler(previous);
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            // Kestrola's classic look and icon, unless the user asked for a style.
            platform::applyClassicLook(app, platform::styleRequested(argc, argv));
            QApplication::setWindowIcon(pictures::applicationIcon());
            pkunzip::ProgressWindow window(request);
            window.start();
            QObject::connect(&window, &pkunzip::ProgressWindow::finished, &app,
                [](int status) { QCoreApplication::exit(status); });
            return app.exec();
        }
    }
    return runHeadless(request);
}
