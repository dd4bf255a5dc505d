// Short (8.3) names: the aliases given to awkward names, the short-path service and the way back.
#include "platform/DriveTable.h"
#include "platform/ShortName.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;

namespace {

// The names of the folder C:\Awkward, beside the twenty photographs made in init().
const QStringList kAwkwardNames = {
    QStringLiteral("My Downloads"),      QStringLiteral("Tools and Stuff.zip"),
    QStringLiteral("archive.tar.gz"),    QStringLiteral("Resume 2023.doc"),
    QStringLiteral("Résumé 2024.doc"),   QStringLiteral(".profile"),
    QStringLiteral(".hidden.cfg.bak"),   QStringLiteral("README.TXT"),
    QStringLiteral("readme.txt"),        QStringLiteral("Makefile"),
    QStringLiteral("name"),              QStringLiteral("name."),
    QStringLiteral("a+b=c.txt"),         QStringLiteral("日本語.txt"),
    QStringLiteral("emoji 😀.txt"),      QStringLiteral("x.y.z"),
    QStringLiteral("  lead space.txt"),  QStringLiteral("UPPER CASE.TXT"),
    QStringLiteral("long.extension"),    QStringLiteral("..."),
    QStringLiteral("photograph_final.jpeg"),
};

QString photograph(int i)
{
    return QStringLiteral("photograph_%1.jpeg").arg(i, 2, 10, QLatin1Char('0'));
}

bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

bool looksLike83(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9!#$%&'()@^_`{}~-]{1,8}(\\.[A-Za-z0-9!#$%&'()@^_`{}~-]{1,3})?$"));
    return re.match(s).hasMatch();
}

} // namespace

class tst_ShortName : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aliasOfEachName_data();
    void aliasOfEachName();
    void aliasesAreDistinctAndLeadBack();
    void aliasesSkipShortNamesAlreadyThere();

    void shortPathOfLongPath_data();
    void shortPathOfLongPath();

    void resolvesShortAndLongPaths_data();
    void resolvesShortAndLongPaths();
    void resolvesForCreate_data();
    void resolvesForCreate();

    void serviceReturnsLengthAndFillsBuffer();
    void serviceReturnsZeroForMissingPath_data();
    void serviceReturnsZeroForMissingPath();
    void serviceReportsNeededSizeAndLeavesSmallBuffer_data();
    void serviceReportsNeededSizeAndLeavesSmallBuffer();

private:
    QString native(const QString &relative) const { return m_c + QLatin1Char('/') + relative; }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_c; // the folder drive C: stands for
};

void tst_ShortName::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_c = m_dir->path() + QStringLiteral("/c");
    QDir root(m_dir->path());
    QVERIFY(root.mkpath(QStringLiteral("c/Awkward/My Downloads/Tools for Work")));
    QVERIFY(root.mkpath(QStringLiteral("c/docs")));
    QVERIFY(root.mkpath(QStringLiteral("c/Taken")));
    QVERIFY(touch(native(QStringLiteral("Awkward/My Downloads/Tools for Work/Setup Program.zip"))));
    QVERIFY(touch(native(QStringLiteral("docs/Annual Report 2024.pdf"))));
    for (const QString &name : kAwkwardNames) {
        if (name != QLatin1String("My Downloads"))
            QVERIFY2(touch(native(QStringLiteral("Awkward/") + name)), qPrintable(name));
    }
    for (int i = 1; i <= 20; ++i)
        QVERIFY(touch(native(QStringLiteral("Awkward/") + photograph(i))));

    // a folder that already holds a real file called like the first alias would be
    QVERIFY(touch(native(QStringLiteral("Taken/PHOTOG~1.JPE"))));
    QVERIFY(touch(native(QStringLiteral("Taken/photograph one.jpeg"))));
    QVERIFY(touch(native(QStringLiteral("Taken/photograph two.jpeg"))));
    QVERIFY(touch(native(QStringLiteral("Taken/photo~10.jpe"))));
    for (int i = 1; i <= 10; ++i)
        QVERIFY(touch(native(QStringLiteral("Taken/photography %1.jpeg").arg(QChar(u'a' + i - 1)))));

    DriveTable::setDrives({ Drive { QLatin1Char('C'), m_c, QStringLiteral("home"), true, false },
                            Drive { QLatin1Char('F'), m_dir->path() + QStringLiteral("/f"), QString(), true, true } },
                          m_c);
}

void tst_ShortName::cleanup()
{
    DriveTable::resetToSystem();
    m_dir.reset();
}

void tst_ShortName::aliasOfEachName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("alias");

    QTest::newRow("space dropped") << "My Downloads" << "MYDOWN~1";
    QTest::newRow("space in stem, extension kept") << "Tools and Stuff.zip" << "TOOLSA~1.ZIP";
    QTest::newRow("several dots: last extension") << "archive.tar.gz" << "ARCHIV~1.GZ";
    QTest::newRow("plain letters sort first") << "Resume 2023.doc" << "RESUME~1.DOC";
    QTest::newRow("accents become plain letters") << "Résumé 2024.doc" << "RESUME~2.DOC";
    QTest::newRow("leading dot") << ".profile" << "PROFIL~1";
    QTest::newRow("leading dot and several dots") << ".hidden.cfg.bak" << "HIDDEN~1.BAK";
    QTest::newRow("valid short name unchanged") << "README.TXT" << "README.TXT";
    QTest::newRow("lower-case twin of a short name numbered") << "readme.txt" << "README~1.TXT";
    QTest::newRow("mixed-case eight letters in upper case") << "Makefile" << "MAKEFILE";
    QTest::newRow("name without dot in upper case") << "name" << "NAME";
    QTest::newRow("trailing dot is not the same name") << "name." << "NAME~1";
    QTest::newRow("invalid characters replaced") << "a+b=c.txt" << "A_B_C~1.TXT";
    QTest::newRow("letters DOS cannot hold") << "日本語.txt" << "___~1.TXT";
    QTest::newRow("character outside the BMP is one") << "emoji 😀.txt" << "EMOJI_~1.TXT";
    QTest::newRow("dots inside stem dropped") << "x.y.z" << "XY~1.Z";
    QTest::newRow("leading spaces") << "  lead space.txt" << "LEADSP~1.TXT";
    QTest::newRow("upper-case long name") << "UPPER CASE.TXT" << "UPPERC~1.TXT";
    QTest::newRow("long extension cut to three") << "long.extension" << "LONG~1.EXT";
    QTest::newRow("nothing but dots") << "..." << "_~1";
    QTest::newRow("first of twenty alike") << photograph(1) << "PHOTOG~1.JPE";
    QTest::newRow("ninth of twenty alike") << photograph(9) << "PHOTOG~9.JPE";
    QTest::newRow("tenth shortens the stem") << photograph(10) << "PHOTO~10.JPE";
    QTest::newRow("twentieth") << photograph(20) << "PHOTO~20.JPE";
    QTest::newRow("sorted after the numbered ones") << "photograph_final.jpeg" << "PHOTO~21.JPE";
}

void tst_ShortName::aliasOfEachName()
{
    QFETCH(QString, name);
    QFETCH(QString, alias);
    QCOMPARE(shortAlias(native(QStringLiteral("Awkward")), name), alias);
    // the short-path service gives the same alias for the whole path
    QCOMPARE(shortPathName(QStringLiteral("C:\\Awkward\\") + name), QStringLiteral("C:\\AWKWARD\\") + alias);
}

void tst_ShortName::aliasesAreDistinctAndLeadBack()
{
    const QString folder = native(QStringLiteral("Awkward"));
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot);
    QCOMPARE(names.size(), kAwkwardNames.size() + 20);

    QSet<QString> shortForms;
    QSet<QString> generatedUpper;
    for (const QString &name : names) {
        const QString shortPath = shortPathName(QStringLiteral("C:\\Awkward\\") + name);
        QVERIFY2(shortPath.startsWith(QLatin1String("C:\\AWKWARD\\")), qPrintable(name));
        const QString alias = shortPath.mid(11);
        QVERIFY2(looksLike83(alias), qPrintable(name + QLatin1String(" -> ") + alias));
        QVERIFY2(!shortForms.contains(alias), qPrintable(name + QLatin1String(" -> ") + alias));
        shortForms.insert(alias);
        if (alias != name) {
            QCOMPARE(alias, alias.toUpper());
            generatedUpper.insert(alias);
        }
        QCOMPARE(resolveDosPath(shortPath), folder + QLatin1Char('/') + name);
    }
    // a made-up alias never equals, in any case, a short name the folder already has
    for (const QString &s : std::as_const(shortForms)) {
        if (!generatedUpper.contains(s))
            QVERIFY2(!generatedUpper.contains(s.toUpper()), qPrintable(s));
    }
}

void tst_ShortName::aliasesSkipShortNamesAlreadyThere()
{
    const QString folder = native(QStringLiteral("Taken"));
    // PHOTOG~1.JPE exists as a real file, so the first long name starts at ~2
    QCOMPARE(shortAlias(folder, QStringLiteral("photograph one.jpeg")), QStringLiteral("PHOTOG~2.JPE"));
    QCOMPARE(shortAlias(folder, QStringLiteral("photograph two.jpeg")), QStringLiteral("PHOTOG~3.JPE"));
    // "photography a" .. "j" share the stem and follow in sorted order; "g" would take PHOTO~10.JPE,
    // which photo~10.jpe already is in lower case
    QCOMPARE(shortAlias(folder, QStringLiteral("photography a.jpeg")), QStringLiteral("PHOTOG~4.JPE"));
    QCOMPARE(shortAlias(folder, QStringLiteral("photography f.jpeg")), QStringLiteral("PHOTOG~9.JPE"));
    QCOMPARE(shortAlias(folder, QStringLiteral("photography g.jpeg")), QStringLiteral("PHOTO~11.JPE"));
    QCOMPARE(shortAlias(folder, QStringLiteral("photography j.jpeg")), QStringLiteral("PHOTO~14.JPE"));
    // the real short names keep resolving to themselves, the aliases to their long names
    QCOMPARE(resolveDosPath(QStringLiteral("C:\\Taken\\PHOTOG~1.JPE")), folder + QStringLiteral("/PHOTOG~1.JPE"));
    QCOMPARE(resolveDosPath(QStringLiteral("C:\\Taken\\PHOTO~10.JPE")), folder + QStringLiteral("/photo~10.jpe"));
    QCOMPARE(resolveDosPath(QStringLiteral("C:\\Taken\\PHOTOG~2.JPE")), folder + QStringLiteral("/photograph one.jpeg"));
    QCOMPARE(resolveDosPath(QStringLiteral("C:\\Taken\\PHOTO~14.JPE")), folder + QStringLiteral("/photography j.jpeg"));
}

void tst_ShortName::shortPathOfLongPath_data()
{
    QTest::addColumn<QString>("longPath");
    QTest::addColumn<QString>("shortPath");

    QTest::newRow("drive root stays") << "C:\\" << "C:\\";
    QTest::newRow("nested long folders") << "C:\\AWKWARD\\My Downloads\\Tools for Work\\Setup Program.zip"
                                         << "C:\\AWKWARD\\MYDOWN~1\\TOOLSF~1\\SETUPP~1.ZIP";
    QTest::newRow("folder itself, no trailing separator") << "C:\\Awkward\\My Downloads\\" << "C:\\AWKWARD\\MYDOWN~1";
    QTest::newRow("lower-case folder under valid name") << "C:\\docs\\Annual Report 2024.pdf" << "C:\\DOCS\\ANNUAL~1.PDF";
    QTest::newRow("forward slashes") << "C:/Awkward/My Downloads" << "C:\\AWKWARD\\MYDOWN~1";
    QTest::newRow("lower-case drive letter") << "c:\\docs" << "C:\\DOCS";
    QTest::newRow("short form is accepted too") << "C:\\AWKWARD\\MYDOWN~1\\TOOLSF~1"
                                                << "C:\\AWKWARD\\MYDOWN~1\\TOOLSF~1";
    QTest::newRow("relative to the current folder") << "Awkward\\My Downloads" << "C:\\AWKWARD\\MYDOWN~1";
    QTest::newRow("native absolute path") << "@/Awkward/Tools and Stuff.zip" << "C:\\AWKWARD\\TOOLSA~1.ZIP";
    QTest::newRow("dot-dot") << "C:\\docs\\..\\Awkward\\.profile" << "C:\\AWKWARD\\PROFIL~1";
}

void tst_ShortName::shortPathOfLongPath()
{
    QFETCH(QString, longPath);
    QFETCH(QString, shortPath);
    longPath.replace(QLatin1Char('@'), m_c);
    QCOMPARE(shortPathName(longPath), shortPath);
}

void tst_ShortName::resolvesShortAndLongPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // relative to C:'s folder, "/" for the folder itself; empty: nothing found

    const QString setup = QStringLiteral("Awkward/My Downloads/Tools for Work/Setup Program.zip");
    QTest::newRow("long form") << "C:\\Awkward\\My Downloads\\Tools for Work\\Setup Program.zip" << setup;
    QTest::newRow("short form") << "C:\\Awkward\\MYDOWN~1\\TOOLSF~1\\SETUPP~1.ZIP" << setup;
    QTest::newRow("short form in lower case") << "c:\\awkward\\mydown~1\\toolsf~1\\setupp~1.zip" << setup;
    QTest::newRow("forward slashes") << "C:/Awkward/MYDOWN~1/TOOLSF~1/SETUPP~1.ZIP" << setup;
    QTest::newRow("long form ignoring case") << "C:\\AWKWARD\\my downloads\\TOOLS FOR WORK\\setup program.ZIP" << setup;
    QTest::newRow("relative short form") << "Awkward\\MYDOWN~1\\TOOLSF~1\\SETUPP~1.ZIP" << setup;
    QTest::newRow("native path") << "@/" + setup << setup;
    QTest::newRow("exact name before others ignoring case") << "C:\\Awkward\\readme.txt" << "Awkward/readme.txt";
    QTest::newRow("two names alike but for case: no guess") << "C:\\Awkward\\ReadMe.Txt" << "";
    QTest::newRow("photograph by alias") << "C:\\Awkward\\PHOTO~15.JPE" << "Awkward/" + photograph(15);
    QTest::newRow("alias of a non-ASCII name") << "C:\\Awkward\\___~1.TXT" << "Awkward/日本語.txt";
    QTest::newRow("drive root") << "C:\\" << "/";
    QTest::newRow("missing file") << "C:\\Awkward\\NOTHERE.ZIP" << "";
    QTest::newRow("alias that nobody has") << "C:\\Awkward\\PHOTO~99.JPE" << "";
    QTest::newRow("missing folder on the way") << "C:\\NOWHERE\\SETUPP~1.ZIP" << "";
    QTest::newRow("file used as folder") << "C:\\Awkward\\README.TXT\\X" << "";
    QTest::newRow("unknown drive") << "Q:\\Awkward" << "";
    QTest::newRow("drive not ready") << "F:\\" << "";
    QTest::newRow("native path is exact") << "@/awkward/readme.txt" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_ShortName::resolvesShortAndLongPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    path.replace(QLatin1Char('@'), m_c);
    const QString want = expected == QLatin1String("/") ? m_c : expected.isEmpty() ? QString() : native(expected);
    QCOMPARE(resolveDosPath(path), want);
}

void tst_ShortName::resolvesForCreate_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // relative to C:'s folder; empty: nothing

    QTest::newRow("new name in a short folder") << "C:\\Awkward\\MYDOWN~1\\New Folder" << "Awkward/My Downloads/New Folder";
    QTest::newRow("existing alias resolves") << "C:\\Awkward\\MYDOWN~1\\TOOLSF~1" << "Awkward/My Downloads/Tools for Work";
    QTest::newRow("trailing separator") << "C:\\Awkward\\MYDOWN~1\\EXTRACT\\" << "Awkward/My Downloads/EXTRACT";
    QTest::newRow("new name at the root") << "C:\\OUT" << "OUT";
    QTest::newRow("relative") << "OUT" << "OUT";
    QTest::newRow("folder missing") << "C:\\NOWHERE\\OUT" << "";
    QTest::newRow("unknown drive") << "Q:\\OUT" << "";
}

void tst_ShortName::resolvesForCreate()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(resolveDosPathForCreate(path), expected.isEmpty() ? QString() : native(expected));
}

void tst_ShortName::serviceReturnsLengthAndFillsBuffer()
{
    const QByteArray longPath = "C:\\Awkward\\My Downloads\\Tools for Work\\Setup Program.zip";
    const QByteArray expected = "C:\\AWKWARD\\MYDOWN~1\\TOOLSF~1\\SETUPP~1.ZIP";
    char buffer[255];
    std::memset(buffer, 'x', sizeof buffer);
    QCOMPARE(GetShortPathNameA(longPath.constData(), buffer, int(sizeof buffer)), int(expected.size()));
    QCOMPARE(QByteArray(buffer), expected); // NUL-terminated right after the path

    // the buffer exactly large enough: length plus its NUL
    std::memset(buffer, 'x', sizeof buffer);
    QCOMPARE(GetShortPathNameA(longPath.constData(), buffer, int(expected.size()) + 1), int(expected.size()));
    QCOMPARE(QByteArray(buffer), expected);
}

void tst_ShortName::serviceReturnsZeroForMissingPath_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("missing file") << QByteArray("C:\\Awkward\\NOTHERE.ZIP");
    QTest::newRow("missing folder") << QByteArray("C:\\NOWHERE\\A.ZIP");
    QTest::newRow("untrimmed name") << QByteArray("  C:\\Awkward\\README.TXT");
    QTest::newRow("wildcard is not expanded") << QByteArray("C:\\Awkward\\*.TXT");
    QTest::newRow("unknown drive") << QByteArray("Q:\\");
    QTest::newRow("empty") << QByteArray("");
}

void tst_ShortName::serviceReturnsZeroForMissingPath()
{
    QFETCH(QByteArray, path);
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    QCOMPARE(GetShortPathNameA(path.constData(), buffer, int(sizeof buffer)), 0);
    QCOMPARE(QByteArray(buffer, sizeof buffer), QByteArray(sizeof buffer, 'x'));
}

void tst_ShortName::serviceReportsNeededSizeAndLeavesSmallBuffer_data()
{
    QTest::addColumn<int>("size");
    const int length = int(qstrlen("C:\\AWKWARD\\MYDOWN~1"));
    QTest::newRow("no room for the NUL") << length;
    QTest::newRow("far too small") << 4;
    QTest::newRow("zero") << 0;
}

void tst_ShortName::serviceReportsNeededSizeAndLeavesSmallBuffer()
{
    QFETCH(int, size);
    const QByteArray longPath = "C:\\Awkward\\My Downloads";
    const int needed = int(qstrlen("C:\\AWKWARD\\MYDOWN~1")) + 1;
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    QCOMPARE(GetShortPathNameA(longPath.constData(), buffer, size), needed);
    QCOMPARE(QByteArray(buffer, sizeof buffer), QByteArray(sizeof buffer, 'x'));
    QCOMPARE(GetShortPathNameA(longPath.constData(), nullptr, 0), needed);
}

QTEST_GUILESS_MAIN(tst_ShortName)
#include "tst_ShortName.moc"
