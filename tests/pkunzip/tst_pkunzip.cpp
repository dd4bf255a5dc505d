// The expansion program run as a program: its contract, case by case, on small archives made here.
#include "ZipWriter.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Setup {
    Plain, // archive at ROOT/archive.zip, destination ROOT/dest, both as native paths
    DosShortPaths, // HOME is ROOT; "C:\MYDOWN~1\TOOLSA~1.ZIP C:\PROGRA~1\TOOLS"
    DosLongPaths, // HOME is ROOT; "C:\My Downloads\Tools Archive.zip C:\Program Files\Tools"
    ExistingFile, // ROOT/dest/a.txt holds "old" before expanding
    LinkInDest, // ROOT/dest/pre is a link to ROOT/outside
    MissingArchive, // the archive named does not exist
    ArchiveIsFolder, // the archive named is a folder
    DestToMake, // ROOT/dest does not exist yet, ROOT does
    DestParentMissing, // ROOT/none/dest: neither exists
    DestIsFile, // ROOT/dest is a file
};

struct Case {
    QList<ZipItem> items;
    ZipOptions options;
    QByteArray rawArchive; // used instead of items when not empty
    Setup setup = Setup::Plain;
    int exitCode = 0;
    QMap<QString, QByteArray> files; // below the destination: must exist with these contents
    QStringList absent; // below ROOT: must not exist (not even as a dangling link)
    QMap<QString, qint64> mtimes; // below the destination: modification times, UTC seconds
    QMap<QString, int> modes; // below the destination: permission bits
    QMap<QString, QByteArray> links; // below the destination: links and their targets
    bool destEmpty = false; // nothing at all may be written
    QString stderrHas;
    QString stdoutHas;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_pkunzip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void contract_data();
    void contract();
    void commandLine_data();
    void commandLine();

private:
    struct Result {
        int exitCode = -1;
        QString out, err;
    };
    Result runProgram(const QStringList &args, const QString &home = QString());
};

void tst_pkunzip::initTestCase()
{
    QVERIFY2(QFileInfo::exists(QStringLiteral(PKUNZIP_BIN)), PKUNZIP_BIN);
    ::umask(022);
}

tst_pkunzip::Result tst_pkunzip::runProgram(const QStringList &args, const QString &home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    if (!home.isEmpty())
        env.insert(QStringLiteral("HOME"), home);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PKUNZIP_BIN), args);
    Result r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void tst_pkunzip::contract_data()
{
    QTest::addColumn<Case>("c");
    const QByteArray big(300000, 'x');
    auto row = [](const char *tag, Case c) { QTest::newRow(tag) << c; };

    {
        Case c;
        c.items = { ZipItem::file("a.txt", "alpha\n"), ZipItem::folder("dir/"),
            ZipItem::file("dir/b.txt", "bravo"), ZipItem::file("dir/sub/big.bin", big),
            ZipItem::file("empty.txt", "") };
        c.items[2].deflate = false;
        c.files = { { "a.txt", "alpha\n" }, { "dir/b.txt", "bravo" }, { "dir/sub/big.bin", big },
            { "empty.txt", "" } };
        c.stdoutHas = "expanded: dir/b.txt";
        row("stored and deflated files in folders", c);
    }
    {
        Case c;
        c.setup = Setup::DosShortPaths;
        c.items = { ZipItem::file("readme.txt", "hello"), ZipItem::file("bin/tool", "#!/bin/sh\n") };
        c.files = { { "readme.txt", "hello" }, { "bin/tool", "#!/bin/sh\n" } };
        row("DOS short paths of a long-named archive and folder", c);
    }
    {
        Case c;
        c.setup = Setup::DosLongPaths;
        c.items = { ZipItem::file("readme.txt", "hello") };
        c.files = { { "readme.txt", "hello" } };
        row("DOS long paths", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("good.txt", "good"), ZipItem::file("../outside/slip.txt", "evil"),
            ZipItem::file("dir/../../outside/slip2.txt", "evil"),
            ZipItem::file("..\\outside\\slip3.txt", "evil") };
        c.exitCode = 1;
        c.files = { { "good.txt", "good" } };
        c.absent = { "outside/slip.txt", "outside/slip2.txt", "outside/slip3.txt", "dest/dir" };
        c.stderrHas = "\"..\"";
        row("zip-slip names refused", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("good.txt", "good"), ZipItem::file("@ROOT@/outside/abs.txt", "evil"),
            ZipItem::file("\\\\server\\share\\unc.txt", "evil") };
        c.exitCode = 1;
        c.files = { { "good.txt", "good" } };
        c.absent = { "outside/abs.txt", "dest/server" };
        c.stderrHas = "absolute path";
        row("absolute names refused", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("good.txt", "good"), ZipItem::file("C:\\outside\\drive.txt", "evil"),
            ZipItem::file("c:evil.txt", "evil") };
        c.exitCode = 1;
        c.files = { { "good.txt", "good" } };
        c.absent = { "dest/C:", "dest/c:evil.txt", "dest/C:\\outside\\drive.txt" };
        c.stderrHas = "drive letter";
        row("names with a drive letter refused", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("win\\sub\\file.txt", "dos"), ZipItem::file("mixed/way\\x.txt", "x") };
        c.files = { { "win/sub/file.txt", "dos" }, { "mixed/way/x.txt", "x" } };
        row("backslashes separate folders", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("ok.txt", "ok"), ZipItem::link("up", "../outside"),
            ZipItem::link("abs", "@ROOT@/outside"), ZipItem::link("sub/deep", "../../outside/x"),
            ZipItem::link("dot", "."), ZipItem::link("sub/back", "../dot/.."),
            ZipItem::link("pending", "later/.."), ZipItem::link("later", ".") };
        c.exitCode = 1;
        c.files = { { "ok.txt", "ok" } };
        c.links = { { "dot", "." }, { "later", "." } };
        c.absent = { "dest/up", "dest/abs", "dest/sub/deep", "dest/sub/back", "dest/pending" };
        c.stderrHas = "leads outside the destination folder";
        row("links leading out refused", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("docs/README.txt", "read me"), ZipItem::link("docs/readme", "README.txt"),
            ZipItem::link("top", "docs"), ZipItem::link("docs/self", "../docs/README.txt") };
        c.files = { { "docs/README.txt", "read me" }, { "top/README.txt", "read me" } };
        c.links
            = { { "docs/readme", "README.txt" }, { "top", "docs" }, { "docs/self", "../docs/README.txt" } };
        row("links inside the destination made", c);
    }
    {
        Case c;
        c.setup = Setup::LinkInDest;
        c.items = { ZipItem::file("pre/x.txt", "through"), ZipItem::file("ok.txt", "ok") };
        c.exitCode = 1;
        c.files = { { "ok.txt", "ok" } };
        c.absent = { "outside/x.txt" };
        c.stderrHas = "never writes through links";
        row("no write through a link already in the destination", c);
    }
    {
        Case c;
        c.items = { ZipItem::link("evil", "@ROOT@/outside"), ZipItem::file("evil/pwn.txt", "through") };
        c.exitCode = 1;
        c.files = { { "evil/pwn.txt", "through" } };
        c.absent = { "outside/pwn.txt" };
        row("no write through a link from the archive", c);
    }
    {
        Case c;
        c.setup = Setup::ExistingFile;
        c.items = { ZipItem::file("a.txt", "new"), ZipItem::file("b.txt", "bee") };
        c.exitCode = 1;
        c.files = { { "a.txt", "old" }, { "b.txt", "bee" } };
        c.stderrHas = "\"a.txt\" was not expanded: a file of that name already exists";
        row("existing file kept without a display", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("good1.txt", "one"), ZipItem::file("bad.txt", big),
            ZipItem::file("good2.txt", "two") };
        c.items[1].badCrc = true;
        c.exitCode = 1;
        c.files = { { "good1.txt", "one" }, { "good2.txt", "two" } };
        c.absent = { "dest/bad.txt" };
        c.stderrHas = "\"bad.txt\" was not expanded: its data is damaged (checksum mismatch); the partial "
                      "file was removed";
        row("corrupt deflated entry reported, the others expanded", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("bad.txt", "stored"), ZipItem::file("good.txt", "good") };
        c.items[0].deflate = false;
        c.items[0].badCrc = true;
        c.exitCode = 1;
        c.files = { { "good.txt", "good" } };
        c.absent = { "dest/bad.txt" };
        c.stderrHas = "checksum mismatch";
        row("corrupt stored entry reported", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("good.txt", "good"), ZipItem::file("cut.txt", big) };
        c.items[1].cutShort = true;
        c.exitCode = 1;
        c.files = { { "good.txt", "good" } };
        c.absent = { "dest/cut.txt" };
        c.stderrHas = "\"cut.txt\" was not expanded: its data is cut short";
        row("truncated entry reported", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("a.txt", big), ZipItem::file("b.txt", big) };
        c.options.dropTail = 40;
        c.exitCode = 3;
        c.destEmpty = true;
        c.stderrHas = "download it again";
        row("archive cut short", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("secret.txt", "xxxxxxxx"), ZipItem::file("open.txt", "open") };
        c.items[0].encrypted = true;
        c.exitCode = 1;
        c.files = { { "open.txt", "open" } };
        c.absent = { "dest/secret.txt" };
        c.stderrHas = "\"secret.txt\" was not expanded: it is protected by a password";
        row("encrypted entry skipped", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("b.bz2", "data"), ZipItem::file("ok.txt", "ok") };
        c.items[0].method = 12;
        c.exitCode = 1;
        c.files = { { "ok.txt", "ok" } };
        c.absent = { "dest/b.bz2" };
        c.stderrHas = "compressed with BZIP2";
        row("unsupported method skipped", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("\x84rger \x94l \xe1.txt", "cp437") };
        c.items[0].unixMode = 0;
        c.files = { { QString::fromUtf8("\xc3\xa4rger \xc3\xb6l \xc3\x9f.txt"), "cp437" } };
        row("name without the UTF-8 flag read as CP437", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("Gr\xc3\xbc\xc3\x9f"
                                  "e/\xe6\x97\xa5\xe6\x9c\xac.txt",
            "utf8") };
        c.items[0].utf8Flag = true;
        c.files = { { QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                        "e/\xe6\x97\xa5\xe6\x9c\xac.txt"),
            "utf8" } };
        row("name with the UTF-8 flag kept", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("Gr\xc3\xbc\xc3\x9f"
                                  "e.txt",
            "no flag") };
        c.files = { { QString::fromUtf8("Gr\xe2\x94\x9c\xe2\x95\x9d\xe2\x94\x9c\xc6\x92"
                                        "e.txt"),
            "no flag" } };
        row("UTF-8 bytes without the flag are CP437 too", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("na?ve.txt", "unicode field") };
        c.items[0].unicodePath = "na\xc3\xafve.txt";
        c.files = { { QString::fromUtf8("na\xc3\xafve.txt"), "unicode field" } };
        row("Unicode Path field preferred", c);
    }
    {
        Case c;
        c.items = { ZipItem::folder("d/"), ZipItem::file("d/f.txt", "f"), ZipItem::file("dos.txt", "dos"),
            ZipItem::folder("d/e/"), ZipItem::file("d/e/g.txt", "g") };
        c.items[0].unixTime = 1500000000;
        c.items[1].unixTime = 1600000000;
        c.items[3].unixTime = 1400000000;
        c.files = { { "d/f.txt", "f" }, { "dos.txt", "dos" }, { "d/e/g.txt", "g" } };
        c.mtimes = { { "d", 1500000000 }, { "d/f.txt", 1600000000 }, { "d/e", 1400000000 },
            { "dos.txt", QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8), Qt::UTC).toSecsSinceEpoch() } };
        row("file and folder times restored, folders after their contents", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("tool", "#!/bin/sh\n"), ZipItem::file("private", "p"),
            ZipItem::file("gid", "g"), ZipItem::folder("shared/") };
        c.items[0].unixMode = 0104755;
        c.items[1].unixMode = 0100600;
        c.items[2].unixMode = 0102755;
        c.items[3].unixMode = 041777;
        c.modes = { { "tool", 0755 }, { "private", 0600 }, { "gid", 0755 }, { "shared", 0755 } };
        row("permissions kept without setuid, setgid or sticky bits", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("dev/sda", ""), ZipItem::file("fifo", ""), ZipItem::file("ok.txt", "ok") };
        c.items[0].unixMode = 060660;
        c.items[1].unixMode = 010644;
        c.exitCode = 1;
        c.files = { { "ok.txt", "ok" } };
        c.absent = { "dest/dev/sda", "dest/fifo" };
        c.stderrHas = "never created from an archive";
        row("device nodes and fifos refused", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("z1.txt", big), ZipItem::file("z2.txt", "small") };
        c.items[0].zip64 = true;
        c.items[1].zip64 = true;
        c.options.zip64End = true;
        c.files = { { "z1.txt", big }, { "z2.txt", "small" } };
        row("ZIP64 archive", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("sfx.txt", "inside") };
        c.options.prefix = QByteArray("MZ") + QByteArray(998, '\0');
        c.files = { { "sfx.txt", "inside" } };
        row("archive behind a self-extractor stub", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("first.txt", "first"), ZipItem::file("huge.bin", "tiny") };
        c.items[1].zip64 = true;
        c.items[1].claimedSize = quint64(1) << 52;
        c.options.zip64End = true;
        c.exitCode = 5;
        c.destEmpty = true;
        c.stderrHas = "Nothing was written";
        row("not enough free space: nothing written", c);
    }
    {
        Case c;
        c.items = { ZipItem::file("dup.txt", "one"), ZipItem::file("dup.txt", "two") };
        c.exitCode = 1;
        c.stderrHas = "already exists";
        row("duplicate names: the second one is not written over the first", c);
    }
    {
        Case c;
        c.items = {};
        row("empty archive", c);
    }
    {
        Case c;
        c.setup = Setup::MissingArchive;
        c.exitCode = 3;
        c.destEmpty = true;
        c.stderrHas = "Cannot find the archive";
        row("missing archive", c);
    }
    {
        Case c;
        c.setup = Setup::ArchiveIsFolder;
        c.exitCode = 3;
        c.destEmpty = true;
        c.stderrHas = "is a folder, not a zip archive";
        row("folder given as the archive", c);
    }
    {
        Case c;
        c.rawArchive = "This is a text file, not an archive.\n";
        c.exitCode = 3;
        c.destEmpty = true;
        c.stderrHas = "it is not a zip archive";
        row("not a zip archive", c);
    }
    {
        Case c;
        c.setup = Setup::DestToMake;
        c.items = { ZipItem::file("a.txt", "made") };
        c.files = { { "a.txt", "made" } };
        row("missing destination folder made", c);
    }
    {
        Case c;
        c.setup = Setup::DestParentMissing;
        c.items = { ZipItem::file("a.txt", "x") };
        c.exitCode = 4;
        c.stderrHas = "Cannot find the destination folder";
        row("destination whose parent is missing", c);
    }
    {
        Case c;
        c.setup = Setup::DestIsFile;
        c.items = { ZipItem::file("a.txt", "x") };
        c.exitCode = 4;
        c.stderrHas = "is a file, not a folder";
        row("destination that is a file", c);
    }
}

void tst_pkunzip::contract()
{
    QFETCH(Case, c);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString root = QDir(tmp.path()).canonicalPath();
    QDir(root).mkpath(QStringLiteral("outside"));
    QString archive = root + QStringLiteral("/archive.zip");
    QString dest = root + QStringLiteral("/dest");
    QStringList args;
    QString home;

    switch (c.setup) {
    case Setup::DosShortPaths:
    case Setup::DosLongPaths:
        home = root;
        QVERIFY(QDir(root).mkpath(QStringLiteral("My Downloads")));
        QVERIFY(QDir(root).mkpath(QStringLiteral("Program Files/Tools")));
        archive = root + QStringLiteral("/My Downloads/Tools Archive.zip");
        dest = root + QStringLiteral("/Program Files/Tools");
        break;
    case Setup::DestParentMissing:
        dest = root + QStringLiteral("/none/dest");
        break;
    case Setup::DestToMake:
        break;
    case Setup::DestIsFile: {
        QFile f(dest);
        QVERIFY(f.open(QIODevice::WriteOnly));
        break;
    }
    default:
        QVERIFY(QDir(root).mkpath(QStringLiteral("dest")));
        break;
    }

    QByteArray bytes = c.rawArchive;
    if (bytes.isEmpty()) {
        QList<ZipItem> items = c.items;
        for (ZipItem &it : items) {
            it.name.replace("@ROOT@", root.toUtf8());
            it.data.replace("@ROOT@", root.toUtf8());
        }
        bytes = buildZip(items, c.options);
    }
    if (c.setup == Setup::ArchiveIsFolder) {
        QVERIFY(QDir(root).mkpath(QStringLiteral("archive.zip")));
    } else if (c.setup != Setup::MissingArchive) {
        QFile f(archive);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), qint64(bytes.size()));
    }
    if (c.setup == Setup::ExistingFile) {
        QFile f(dest + QStringLiteral("/a.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    if (c.setup == Setup::LinkInDest)
        QVERIFY(QFile::link(root + QStringLiteral("/outside"), dest + QStringLiteral("/pre")));

    if (c.setup == Setup::DosShortPaths)
        args = { QStringLiteral("C:\\MYDOWN~1\\TOOLSA~1.ZIP"), QStringLiteral("C:\\PROGRA~1\\TOOLS") };
    else if (c.setup == Setup::DosLongPaths)
        args = { QStringLiteral("C:\\My Downloads\\Tools Archive.zip"),
            QStringLiteral("C:\\Program Files\\Tools") };
    else
        args = { archive, dest };

    const Result r = runProgram(args, home);
    const QByteArray diagnostics = QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3")
                                       .arg(r.exitCode)
                                       .arg(r.out, r.err)
                                       .toLocal8Bit();
    QVERIFY2(r.exitCode == c.exitCode, diagnostics.constData());
    if (!c.stderrHas.isEmpty())
        QVERIFY2(r.err.contains(c.stderrHas), diagnostics.constData());
    if (!c.stdoutHas.isEmpty())
        QVERIFY2(r.out.contains(c.stdoutHas), diagnostics.constData());
    if (c.exitCode == 0)
        QVERIFY2(r.err.isEmpty(), diagnostics.constData());

    for (auto it = c.files.cbegin(); it != c.files.cend(); ++it) {
        QFile f(dest + QLatin1Char('/') + it.key());
        QVERIFY2(f.open(QIODevice::ReadOnly),
            qPrintable(it.key() + QLatin1Char('\n') + QString::fromLocal8Bit(diagnostics)));
        QCOMPARE(f.readAll(), it.value());
    }
    for (const QString &path : c.absent) {
        struct stat st;
        QVERIFY2(::lstat(QFile::encodeName(root + QLatin1Char('/') + path).constData(), &st) != 0,
            qPrintable(path));
    }
    for (auto it = c.mtimes.cbegin(); it != c.mtimes.cend(); ++it) {
        struct stat st;
        QVERIFY2(::lstat(QFile::encodeName(dest + QLatin1Char('/') + it.key()).constData(), &st) == 0,
            qPrintable(it.key()));
        QCOMPARE(qint64(st.st_mtime), it.value());
    }
    for (auto it = c.modes.cbegin(); it != c.modes.cend(); ++it) {
        struct stat st;
        QVERIFY2(::lstat(QFile::encodeName(dest + QLatin1Char('/') + it.key()).constData(), &st) == 0,
            qPrintable(it.key()));
        QCOMPARE(int(st.st_mode & 07777), it.value());
    }
    for (auto it = c.links.cbegin(); it != c.links.cend(); ++it) {
        const QString path = dest + QLatin1Char('/') + it.key();
        QVERIFY2(QFileInfo(path).isSymLink(), qPrintable(it.key()));
        char buf[4096];
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buf, sizeof buf);
        QCOMPARE(QByteArray(buf, int(n)), it.value());
    }

    // Whatever happened: nothing outside the destination, and no half-written or temporary file left.
    QVERIFY2(QDir(root + QStringLiteral("/outside"))
                 .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        "something was written outside the destination");
    if (c.destEmpty && QFileInfo(dest).isDir())
        QVERIFY2(QDir(dest).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            "the destination was written to");
    if (QFileInfo(dest).isDir()) {
        QDirIterator it(dest, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString p = it.next();
            QVERIFY2(!QFileInfo(p).fileName().startsWith(QLatin1String(".pkunzip-")), qPrintable(p));
        }
    }
}

void tst_pkunzip::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outHas");
    QTest::addColumn<QString>("errHas");
    QTest::newRow("--help explains usage and every exit status")
        << QStringList { QStringLiteral("--help") } << 0
        << QStringLiteral("Exit status:\n  0  every entry was expanded") << QString();
    QTest::newRow("no archive") << QStringList {} << 2 << QString() << QStringLiteral("no archive given");
    QTest::newRow("too many arguments")
        << QStringList { QStringLiteral("a.zip"), QStringLiteral("b"), QStringLiteral("c") } << 2 << QString()
        << QStringLiteral("too many arguments");
    QTest::newRow("unknown option") << QStringList { QStringLiteral("-o"), QStringLiteral("a.zip") } << 2
                                    << QString() << QStringLiteral("unknown option -o");
}

void tst_pkunzip::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, outHas);
    QFETCH(QString, errHas);
    const Result r = runProgram(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.out.contains(outHas), qPrintable(r.out));
    QVERIFY2(r.err.contains(errHas), qPrintable(r.err));
    if (exitCode == 0) {
        for (int code = 0; code <= 6; ++code)
            QVERIFY2(r.out.contains(QStringLiteral("\n  %1  ").arg(code)), qPrintable(QString::number(code)));
    }
}

QTEST_GUILESS_MAIN(tst_pkunzip)
#include "tst_pkunzip.moc"
