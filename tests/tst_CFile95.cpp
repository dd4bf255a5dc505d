// CFile95 and the shell's delete operation behind it, against a real trash in a temporary folder.
#include "fileobj/CFile95.h"
#include "platform/DriveTable.h"
#include "platform/Services.h"
#include "platform/ShellFileOp.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

/**
 * One temporary folder for the whole run: the trash ($XDG_DATA_HOME/Trash), a stand-in home and the
 * folder drive C: stands for, all on one file system, so that the trash used is the home trash in here.
 */
QTemporaryDir &sandbox()
{
    static QTemporaryDir dir;
    return dir;
}

QString sandboxPath(const QString &relative)
{
    return sandbox().path() + QLatin1Char('/') + relative;
}

QString cFolder() { return sandboxPath(QStringLiteral("c")); }
QString nativeOnC(const QString &relative) { return cFolder() + QLatin1Char('/') + relative; }
QString trashFiles() { return sandboxPath(QStringLiteral("data/Trash/files")); }
QString trashInfo() { return sandboxPath(QStringLiteral("data/Trash/info")); }

QStringList trashed()
{
    return QDir(trashFiles()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The list of names the shell is handed: each name followed by its NUL, then the empty name's NUL.
QByteArray nameList(const QByteArray &name)
{
    QByteArray list = name;
    list.append('\0');
    list.append('\0');
    return list;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// The boxes the shell showed, by title.
QStringList titles(const testsupport::Services &services)
{
    QStringList t;
    for (const testsupport::Box &b : services.boxes)
        t << b.title;
    return t;
}

// Message boxes recorded, answered from the given queue; an unexpected box fails the test.
struct AnsweredBoxes : testsupport::Services
{
    explicit AnsweredBoxes(const QList<int> &answers = {})
    {
        for (const int a : answers)
            answer(a);
    }
};

const QString kConfirmTitle = QStringLiteral("Confirm File Delete");
const QString kErrorTitle = QStringLiteral("Error Deleting File");
const QString kResume = QStringLiteral("My Files/Résumé 2024.doc");
const QString kDeep8 = QStringLiteral("AAAAAAAA");

} // namespace

class tst_CFile95 : public QObject
{
    Q_OBJECT

public:
    static void initMain();

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newObjectIsEmpty();
    void deleteFillsTheRequest_data();
    void deleteFillsTheRequest();
    void deleteTwiceFillsTheRequestAfresh();
    void confirmationNamesTheFullPath_data();
    void confirmationNamesTheFullPath();
    void trashKeepsWhereTheFileCameFrom();
    void folderGoesToTheTrashWhole();
    void nameEndingInASpaceTrashesThatFile();
    void shellReportsWhatItCannotDelete_data();
    void shellReportsWhatItCannotDelete();
    void shellReportsMissingPermission();
    void shellNeverDeletesForGood();
    void shellAsksForEachNameOfAList();

    void shortName_data();
    void shortName();

private:
    static const SHFILEOPSTRUCTA &record(const CFile95 &f) { return f.OperationRecord; }
    static qint32 lastResult(const CFile95 &f) { return f.LastResult; }
    void useCurrentFolder(const QString &relative);
};

void tst_CFile95::initMain()
{
    // GLib reads these once, at its first use, so they are set before anything starts
    if (!sandbox().isValid() || !QDir().mkpath(sandboxPath(QStringLiteral("home"))))
        qFatal("cannot make a temporary folder for the trash");
    qputenv("XDG_DATA_HOME", QFile::encodeName(sandboxPath(QStringLiteral("data"))));
    qputenv("HOME", QFile::encodeName(sandboxPath(QStringLiteral("home"))));
}

void tst_CFile95::initTestCase()
{
    QVERIFY(sandbox().isValid());
    QCOMPARE(qgetenv("XDG_DATA_HOME"), QFile::encodeName(sandboxPath(QStringLiteral("data"))));
}

void tst_CFile95::init()
{
    QDir root(sandbox().path());
    QVERIFY(root.mkpath(QStringLiteral("c/TEMP")));
    QVERIFY(root.mkpath(QStringLiteral("c/My Files")));
    QVERIFY(root.mkpath(QStringLiteral("c/Old Stuff/inside")));
    QVERIFY(writeFile(nativeOnC(QStringLiteral("TEMP/A.ZIP")), "archive A"));
    QVERIFY(writeFile(nativeOnC(QStringLiteral("TEMP/B.ZIP")), "archive B"));
    QVERIFY(writeFile(nativeOnC(kResume), "curriculum vitae"));
    QVERIFY(writeFile(nativeOnC(QStringLiteral("Old Stuff/inside/note.txt")), "note"));
    useCurrentFolder(QString());
}

void tst_CFile95::cleanup()
{
    DriveTable::resetToSystem();
    hooks::setMsgBox({});
    QDir(cFolder()).removeRecursively();
    QDir(sandboxPath(QStringLiteral("data/Trash"))).removeRecursively();
}

void tst_CFile95::useCurrentFolder(const QString &relative)
{
    DriveTable::setDrives({ Drive { QLatin1Char('C'), cFolder(), QStringLiteral("home"), true, false } },
                          relative.isEmpty() ? cFolder() : nativeOnC(relative));
}

void tst_CFile95::newObjectIsEmpty()
{
    const CFile95 f;
    QVERIFY(f.Name.isEmpty());
    QVERIFY(f.ConfirmDelete);
    QCOMPARE(lastResult(f), 0);
    const SHFILEOPSTRUCTA &r = record(f);
    QVERIFY(!r.hwnd);
    QCOMPARE(r.wFunc, 0u);
    QVERIFY(!r.pFrom);
    QVERIFY(!r.pTo);
    QCOMPARE(r.fFlags, quint16(0));
    QCOMPARE(r.fAnyOperationsAborted, 0);
    QVERIFY(!r.hNameMappings);
    QVERIFY(!r.lpszProgressTitle);
}

void tst_CFile95::deleteFillsTheRequest_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QByteArray>("from");    // what pFrom holds, its two NULs included
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("boxes");  // titles of the boxes the shell shows
    QTest::addColumn<bool>("succeeded");     // the shell's result is 0
    QTest::addColumn<QStringList>("inTrash");

    const QString a = QStringLiteral("C:\\TEMP\\A.ZIP");
    const QByteArray aList = nameList("C:\\TEMP\\A.ZIP");
    const QStringList none;
    const QStringList confirmBox { kConfirmTitle };
    const QStringList errorBox { kErrorTitle };

    QTest::newRow("confirmed: Yes") << a << true << QList<int> { vbYes } << aList << 0x0040 << confirmBox << true
                                    << QStringList { "A.ZIP" };
    QTest::newRow("confirmed: No") << a << true << QList<int> { vbNo } << aList << 0x0040 << confirmBox << false
                                   << none;
    QTest::newRow("no confirmation asked") << a << false << QList<int> {} << aList << 0x0050 << none << true
                                           << QStringList { "A.ZIP" };
    QTest::newRow("spaces around the name trimmed") << "  " + a + "  " << true << QList<int> { vbYes } << aList
                                                    << 0x0040 << confirmBox << true << QStringList { "A.ZIP" };
    QTest::newRow("all blank: no name") << "   " << true << QList<int> { vbOK } << nameList("") << 0x0040
                                        << errorBox << false << none;
    QTest::newRow("empty: no name") << "" << false << QList<int> { vbOK } << nameList("") << 0x0050 << errorBox
                                    << false << none;
    QTest::newRow("wildcard not expanded") << "C:\\TEMP\\*.ZIP" << false << QList<int> { vbOK }
                                           << nameList("C:\\TEMP\\*.ZIP") << 0x0050 << errorBox << false << none;
    // a NUL would make the rest of the name a second name for the shell: the list then holds none
    QTest::newRow("NUL inside the name") << a + QChar(0) + "C:\\TEMP\\B.ZIP" << false << QList<int> { vbOK }
                                         << nameList("") << 0x0050 << errorBox << false << none;
}

void tst_CFile95::deleteFillsTheRequest()
{
    QFETCH(QString, name);
    QFETCH(bool, confirm);
    QFETCH(QList<int>, answers);
    QFETCH(QByteArray, from);
    QFETCH(int, flags);
    QFETCH(QStringList, boxes);
    QFETCH(bool, succeeded);
    QFETCH(QStringList, inTrash);

    AnsweredBoxes shell(answers);
    CFile95 f;
    f.Name = name;
    f.ConfirmDelete = confirm;
    f.Delete();

    const SHFILEOPSTRUCTA &r = record(f);
    QCOMPARE(r.wFunc, FO_DELETE);
    QCOMPARE(int(r.fFlags), flags);
    QVERIFY(r.pFrom);
    QCOMPARE(QByteArray(r.pFrom, from.size()), from); // still readable: the object keeps the list
    QVERIFY(!r.hwnd && !r.pTo && !r.hNameMappings && !r.lpszProgressTitle);
    QCOMPARE(titles(shell), boxes);
    QVERIFY(shell.pendingAnswers().empty());
    QCOMPARE(lastResult(f) == 0, succeeded);
    QCOMPARE(trashed(), inTrash);
    QCOMPARE(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))), !inTrash.contains(QLatin1String("A.ZIP")));
    QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/B.ZIP"))));
}

void tst_CFile95::deleteTwiceFillsTheRequestAfresh()
{
    AnsweredBoxes shell({ vbNo });
    CFile95 f;
    f.Name = QStringLiteral("C:\\TEMP\\A.ZIP");
    f.Delete();
    QCOMPARE(titles(shell), QStringList { kConfirmTitle });
    QVERIFY(lastResult(f) != 0);

    f.Name = QStringLiteral("C:\\TEMP\\B.ZIP");
    f.ConfirmDelete = false;
    f.Delete();
    QCOMPARE(shell.boxes.size(), 1);
    QCOMPARE(record(f).wFunc, FO_DELETE);
    QCOMPARE(int(record(f).fFlags), 0x0050);
    const QByteArray bList = nameList("C:\\TEMP\\B.ZIP");
    QCOMPARE(QByteArray(record(f).pFrom, bList.size()), bList);
    QCOMPARE(lastResult(f), 0);
    QCOMPARE(trashed(), QStringList { "B.ZIP" });
    QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
}

void tst_CFile95::confirmationNamesTheFullPath_data()
{
    QTest::addColumn<QString>("name");
    // the process's current folder is C:\TEMP
    QTest::newRow("full path") << "C:\\TEMP\\A.ZIP";
    QTest::newRow("name alone") << "A.ZIP";
    QTest::newRow("relative with dot-dot") << "..\\TEMP\\A.ZIP";
    QTest::newRow("drive-relative") << "C:A.ZIP";
    QTest::newRow("forward slashes") << "C:/TEMP/A.ZIP";
    QTest::newRow("lower-case drive and dot") << "c:\\TEMP\\.\\A.ZIP";
    QTest::newRow("native path") << "@/TEMP/A.ZIP";
}

void tst_CFile95::confirmationNamesTheFullPath()
{
    QFETCH(QString, name);
    name.replace(QLatin1Char('@'), cFolder());
    useCurrentFolder(QStringLiteral("TEMP"));

    AnsweredBoxes shell({ vbNo });
    CFile95 f;
    f.Name = name;
    f.Delete();

    QCOMPARE(shell.boxes.size(), 1);
    QCOMPARE(shell.boxes.at(0).prompt, QStringLiteral("Are you sure you want to send 'C:\\TEMP\\A.ZIP' to the Trash?"));
    QCOMPARE(shell.boxes.at(0).code, vbYesNo + vbQuestion);
    QCOMPARE(shell.boxes.at(0).title, kConfirmTitle);
    QVERIFY(lastResult(f) != 0);
    QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
    QVERIFY(trashed().isEmpty());
}

void tst_CFile95::trashKeepsWhereTheFileCameFrom()
{
    const QString native = nativeOnC(kResume);
    AnsweredBoxes shell({ vbYes });
    CFile95 f;
    f.Name = QStringLiteral("C:\\My Files\\Résumé 2024.doc");
    f.Delete();

    QCOMPARE(shell.boxes.size(), 1);
    QCOMPARE(shell.boxes.at(0).prompt,
             QStringLiteral("Are you sure you want to send 'C:\\My Files\\Résumé 2024.doc' to the Trash?"));
    QCOMPARE(lastResult(f), 0);
    QVERIFY(!QFile::exists(native));

    // in the trash of this run, never the real one
    QFile moved(trashFiles() + QStringLiteral("/Résumé 2024.doc"));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("curriculum vitae"));

    QFile info(trashInfo() + QStringLiteral("/Résumé 2024.doc.trashinfo"));
    QVERIFY(info.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(info.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("[Trash Info]"));
    // the path is percent-encoded, so that a desktop can put the file back where it was
    const QByteArray encoded = QUrl::toPercentEncoding(native, "/");
    QVERIFY(encoded.contains("My%20Files/R%C3%A9sum%C3%A9%202024.doc"));
    QCOMPARE(lines.at(1), QStringLiteral("Path=") + QString::fromLatin1(encoded));
    QVERIFY2(QRegularExpression(QStringLiteral("^DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"))
                 .match(lines.at(2))
                 .hasMatch(),
             qPrintable(lines.at(2)));
}

void tst_CFile95::folderGoesToTheTrashWhole()
{
    AnsweredBoxes shell({ vbYes });
    CFile95 f;
    f.Name = QStringLiteral("C:\\Old Stuff");
    f.Delete();

    QCOMPARE(shell.boxes.size(), 1);
    QCOMPARE(shell.boxes.at(0).prompt,
             QStringLiteral("Are you sure you want to send the folder 'C:\\Old Stuff' and all its contents to the Trash?"));
    QCOMPARE(shell.boxes.at(0).title, kConfirmTitle);
    QCOMPARE(lastResult(f), 0);
    QVERIFY(!QFileInfo::exists(nativeOnC(QStringLiteral("Old Stuff"))));
    QVERIFY(QFile::exists(trashFiles() + QStringLiteral("/Old Stuff/inside/note.txt")));
    QVERIFY(QFile::exists(trashInfo() + QStringLiteral("/Old Stuff.trashinfo")));
}

void tst_CFile95::nameEndingInASpaceTrashesThatFile()
{
    QVERIFY(writeFile(nativeOnC(QStringLiteral("TEMP/A.ZIP ")), "the one chosen"));
    AnsweredBoxes shell({ vbYes });
    CFile95 f;
    f.Name = QStringLiteral("C:\\TEMP\\A.ZIP ");
    f.Delete();
    QCOMPARE(QByteArray(record(f).pFrom, 17), QByteArray("C:\\TEMP\\A.ZIP \0\0", 17));
    QVERIFY(!QFileInfo::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP "))));
    QVERIFY(QFileInfo::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
}

void tst_CFile95::shellReportsWhatItCannotDelete_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("named"); // the path the box names

    QTest::newRow("missing file") << "C:\\TEMP\\NOTHERE.ZIP" << "'C:\\TEMP\\NOTHERE.ZIP'";
    QTest::newRow("missing file, relative name") << "NOTHERE.ZIP" << "'C:\\NOTHERE.ZIP'";
    QTest::newRow("missing folder") << "C:\\NOWHERE\\A.ZIP" << "'C:\\NOWHERE\\A.ZIP'";
    QTest::newRow("unknown drive") << "Q:\\A.ZIP" << "Q:";
    // "C:\" is the home folder: it never goes to the trash, whatever the answer would be
    QTest::newRow("drive root") << "C:\\" << "'C:\\'";
    QTest::newRow("drive root by dot-dot") << "C:\\TEMP\\.." << "'C:\\'";
}

void tst_CFile95::shellReportsWhatItCannotDelete()
{
    QFETCH(QString, name);
    QFETCH(QString, named);

    for (const bool confirm : { true, false }) {
        AnsweredBoxes shell({ vbOK });
        CFile95 f;
        f.Name = name;
        f.ConfirmDelete = confirm;
        f.Delete();

        QCOMPARE(shell.boxes.size(), 1); // no confirmation is asked for what cannot go
        QCOMPARE(shell.boxes.at(0).title, kErrorTitle);
        QCOMPARE(shell.boxes.at(0).code, vbOKOnly + vbCritical);
        QVERIFY2(shell.boxes.at(0).prompt.contains(named), qPrintable(shell.boxes.at(0).prompt));
        QVERIFY(lastResult(f) != 0);
        QVERIFY(trashed().isEmpty());
        QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
    }
}

void tst_CFile95::shellReportsMissingPermission()
{
    if (::geteuid() == 0)
        QSKIP("the superuser may move any file");
    const QString folder = nativeOnC(QStringLiteral("TEMP"));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    const auto restore = qScopeGuard([&] { ::chmod(QFile::encodeName(folder).constData(), 0755); });

    AnsweredBoxes shell({ vbOK });
    CFile95 f;
    f.Name = QStringLiteral("C:\\TEMP\\A.ZIP");
    f.ConfirmDelete = false;
    f.Delete();

    QCOMPARE(titles(shell), QStringList { kErrorTitle });
    QVERIFY2(shell.boxes.at(0).prompt.contains(QLatin1String("'C:\\TEMP\\A.ZIP'")), qPrintable(shell.boxes.at(0).prompt));
    QVERIFY2(shell.boxes.at(0).prompt.contains(QLatin1String("permission")), qPrintable(shell.boxes.at(0).prompt));
    QVERIFY(lastResult(f) != 0);
    QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
}

void tst_CFile95::shellNeverDeletesForGood()
{
    const QByteArray list = nameList("C:\\TEMP\\A.ZIP");
    SHFILEOPSTRUCTA op;
    op.wFunc = FO_DELETE;
    op.pFrom = list.constData();
    op.fFlags = FOF_NOCONFIRMATION; // no undo asked for

    AnsweredBoxes shell({ vbOK });
    QVERIFY(SHFileOperationA(&op) != 0);
    QCOMPARE(titles(shell), QStringList { kErrorTitle });
    QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
    QVERIFY(trashed().isEmpty());

    QVERIFY(SHFileOperationA(nullptr) != 0);
}

void tst_CFile95::shellAsksForEachNameOfAList()
{
    QByteArray list = "C:\\TEMP\\A.ZIP";
    list.append('\0');
    list.append(nameList("C:\\TEMP\\B.ZIP"));
    SHFILEOPSTRUCTA op;
    op.wFunc = FO_DELETE;
    op.pFrom = list.constData();
    op.fFlags = FOF_ALLOWUNDO;

    AnsweredBoxes shell({ vbNo, vbYes });
    QVERIFY(SHFileOperationA(&op) != 0); // one of them was refused
    QCOMPARE(shell.boxes.size(), 2);
    QVERIFY(shell.boxes.at(0).prompt.contains(QLatin1String("'C:\\TEMP\\A.ZIP'")));
    QVERIFY(shell.boxes.at(1).prompt.contains(QLatin1String("'C:\\TEMP\\B.ZIP'")));
    QCOMPARE(op.fAnyOperationsAborted, 1);
    QVERIFY(QFile::exists(nativeOnC(QStringLiteral("TEMP/A.ZIP"))));
    QCOMPARE(trashed(), QStringList { "B.ZIP" });
}

void tst_CFile95::shortName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<int>("result"); // what the short-path service returned

    QTest::newRow("long names shortened") << "C:\\My Files\\Résumé 2024.doc" << "C:\\MYFILE~1\\RESUME~1.DOC" << 24;
    QTest::newRow("short names kept") << "C:\\TEMP\\A.ZIP" << "C:\\TEMP\\A.ZIP" << 13;
    QTest::newRow("missing path") << "C:\\TEMP\\NOTHERE.ZIP" << "" << 0;
    QTest::newRow("empty") << "" << "" << 0;
    QTest::newRow("spaces are part of the name") << "  C:\\TEMP\\A.ZIP  " << "" << 0;
    QTest::newRow("NUL inside the name") << "C:\\TEMP" + QString(QChar(0)) + "\\A.ZIP" << "" << 0;

    // "C:" and twenty-eight "\AAAAAAAA" make 254 characters, the most the 255-character buffer holds
    const QString fits = QStringLiteral("C:") + QStringLiteral("\\AAAAAAAA").repeated(28);
    QTest::newRow("254 characters fit") << fits << fits << 254;
    // one more level: the service asks for 264 characters and writes nothing, so there is no short form
    QTest::newRow("longer than the buffer") << fits + "\\AAAAAAAA" << "" << 264;
}

void tst_CFile95::shortName()
{
    QFETCH(QString, name);
    QFETCH(QString, shortName);
    QFETCH(int, result);

    QVERIFY(QDir(cFolder()).mkpath(QStringList(29, kDeep8).join(QLatin1Char('/'))));
    CFile95 f;
    f.Name = name;
    QCOMPARE(f.ShortName(), shortName);
    QCOMPARE(lastResult(f), result);
}

QTEST_MAIN(tst_CFile95)
#include "tst_CFile95.moc"
