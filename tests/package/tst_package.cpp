#include "korvel_version.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifndef KORVEL_PACKAGE_DIR
#error "KORVEL_PACKAGE_DIR names the folder that cpack writes the package to"
#endif

namespace
{

QString builtPackage()
{
    const QDir folder(QStringLiteral(KORVEL_PACKAGE_DIR));
    const QStringList found =
        folder.entryList({QStringLiteral("korvel-config_*.deb")}, QDir::Files, QDir::Time);
    return found.isEmpty() ? QString() : folder.filePath(found.first());
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// An environment without any window system: a program that opened a window would fail in it.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

} // namespace

// The Debian package as a user and a packager get it: unpacked into a root of its own, checked
// by Debian's tools, and its programs run from there.
class TestPackage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedProgramSavesIntoTheUserFolder();
    void programsAnswerHelpAndVersionWithoutADisplay_data();
    void programsAnswerHelpAndVersionWithoutADisplay();
    void packageChangelogAndProgramsShareOneVersion();
    void manualPagesDescribeEveryOption_data();
    void manualPagesDescribeEveryOption();
    void lintianFindsNothing();
    void appStreamMetadataIsValid();

private:
    QString m_package;
    QTemporaryDir m_root;
    QDir m_usr;
};

void TestPackage::initTestCase()
{
    m_package = builtPackage();
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg")).isEmpty())
        QSKIP("dpkg is not available");
    if (m_package.isEmpty())
        QSKIP("no package built (scripts/test and scripts/package build it with cpack)");
    const Run unpack =
        run(QStringLiteral("dpkg"), {QStringLiteral("-x"), m_package, m_root.path()});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.err));
    m_usr.setPath(m_root.filePath(QStringLiteral("usr")));
}

void TestPackage::installedProgramSavesIntoTheUserFolder()
{
    const QString program = m_usr.filePath(QStringLiteral("bin/Korvel_Config"));
    QVERIFY(QFileInfo(program).isExecutable());
    QVERIFY(QFileInfo(m_usr.filePath(QStringLiteral("bin/korvel-sim"))).isExecutable());
    QVERIFY(QFileInfo::exists(m_usr.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/"
                                                            "korvel-config.svg"))));
    // A machine-readable copyright file that points to Debian's copy of the licence.
    QFile copyright(m_usr.filePath(QStringLiteral("share/doc/korvel-config/copyright")));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    const QByteArray licence = copyright.readAll();
    QVERIFY(licence.startsWith(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
    QVERIFY(licence.contains("\nLicense: GPL-3\n"));
    QVERIFY(licence.contains("/usr/share/common-licenses/GPL-3"));
    QSettings entry(m_usr.filePath(QStringLiteral("share/applications/korvel-config.desktop")),
                    QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("Korvel_Config"));
    QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("korvel-config"));
    QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));

    // The installed program, started once for a user whose home is a fresh folder.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const Run check = run(program, {QStringLiteral("--self-check")}, environment);
    QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));

    const QString saved = home.filePath(QStringLiteral("data/korvel-config/self-check.txt"));
    QCOMPARE(check.out.trimmed(), saved);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("Korvel-Config self-check\r\n"));
    // Nothing was written beside the program.
    QCOMPARE(QDir(m_usr.filePath(QStringLiteral("bin"))).entryList(QDir::Files, QDir::Name),
             (QStringList{"Korvel_Config", "korvel-cli", "korvel-sim"}));
}

void TestPackage::programsAnswerHelpAndVersionWithoutADisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outStart"); // of standard output, or of standard error for errors

    QTest::newRow("Korvel_Config --help")
        << "Korvel_Config" << QStringList{"--help"} << 0 << "Usage: Korvel_Config [OPTION]...\n";
    QTest::newRow("Korvel_Config -h")
        << "Korvel_Config" << QStringList{"-h"} << 0 << "Usage: Korvel_Config [OPTION]...\n";
    QTest::newRow("Korvel_Config --version")
        << "Korvel_Config" << QStringList{"--version"} << 0 << "Korvel_Config " KORVEL_VERSION "\n";
    QTest::newRow("korvel-sim --help")
        << "korvel-sim" << QStringList{"--help"} << 0 << "Usage: korvel-sim [OPTION]...\n";
    QTest::newRow("korvel-sim --version")
        << "korvel-sim" << QStringList{"--version"} << 0 << "korvel-sim " KORVEL_VERSION "\n";
    QTest::newRow("korvel-cli --help")
        << "korvel-cli" << QStringList{"--help"} << 0 << "Usage: korvel-cli COMMAND -p PORT";
    QTest::newRow("korvel-cli --version")
        << "korvel-cli" << QStringList{"--version"} << 0 << "korvel-cli " KORVEL_VERSION "\n";
    QTest::newRow("korvel-cli without a port")
        << "korvel-cli" << QStringList{"identify"} << 2
        << "korvel-cli: identify: no port given: use -p PORT";
    QTest::newRow("korvel-sim --version with the old firmware value")
        << "korvel-sim" << QStringList{"--version", "1/4/12"} << 2
        << "korvel-sim: --version takes no value; the module's software version is set with "
           "--firmware-version 1/4/12\n";
}

void TestPackage::programsAnswerHelpAndVersionWithoutADisplay()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, outStart);

    const Run result =
        run(m_usr.filePath(QStringLiteral("bin/") + program), arguments, withoutDisplay());
    QCOMPARE(result.exitCode, exitCode);
    const QString &text = exitCode == 0 ? result.out : result.err;
    QVERIFY2(text.startsWith(outStart), qPrintable(text));
}

void TestPackage::packageChangelogAndProgramsShareOneVersion()
{
    const Run field = run(QStringLiteral("dpkg-deb"),
                          {QStringLiteral("--field"), m_package, QStringLiteral("Version")});
    QCOMPARE(field.out.trimmed(), QStringLiteral(KORVEL_VERSION));
    QVERIFY2(QFileInfo(m_package).fileName().startsWith(
                 QStringLiteral("korvel-config_" KORVEL_VERSION "_")),
             qPrintable(m_package));

    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-parsechangelog")).isEmpty())
        QSKIP("dpkg-parsechangelog is not available");
    const Run changelog =
        run(QStringLiteral("dpkg-parsechangelog"),
            {QStringLiteral("-l"),
             m_usr.filePath(QStringLiteral("share/doc/korvel-config/changelog.gz")),
             QStringLiteral("-S"), QStringLiteral("Version")});
    QVERIFY2(changelog.exitCode == 0, qPrintable(changelog.err));
    QCOMPARE(changelog.out.trimmed(), QStringLiteral(KORVEL_VERSION));
}

void TestPackage::manualPagesDescribeEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("Korvel_Config") << "Korvel_Config";
    QTest::newRow("korvel-sim") << "korvel-sim";
    QTest::newRow("korvel-cli") << "korvel-cli";
}

// Every option that --help lists is described in the program's manual page.
void TestPackage::manualPagesDescribeEveryOption()
{
    QFETCH(QString, program);

    const Run help = run(m_usr.filePath(QStringLiteral("bin/") + program), {"--help"});
    QCOMPARE(help.exitCode, 0);
    const Run page = run(QStringLiteral("gzip"),
                         {QStringLiteral("-dc"),
                          m_usr.filePath(QStringLiteral("share/man/man1/%1.1.gz").arg(program))});
    QCOMPARE(page.exitCode, 0);
    // troff writes a minus that must stay a minus as \-.
    QString text = page.out;
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    QVERIFY(text.contains(QStringLiteral(".SH NAME\n") + program + QStringLiteral(" - ")));

    const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
    auto optionsIn = [&option](const QString &line, QStringList &into) {
        for (auto it = option.globalMatch(line); it.hasNext();)
            into << it.next().captured();
    };
    // The help's option column: the start of each indented line that begins with a dash.
    QStringList listed;
    for (const QString &line : help.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char(' ')) && line.trimmed().startsWith(QLatin1Char('-')))
            optionsIn(line.trimmed().section(QStringLiteral("  "), 0, 0), listed);
    }
    listed.removeDuplicates();
    QVERIFY2(listed.size() >= (program == QLatin1String("korvel-sim") ? 28 : 3),
             qPrintable(listed.join(QLatin1Char(' '))));
    // The page's described options: the bold tags of its indented paragraphs (.TP).
    QStringList described;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i - 1] == QLatin1String(".TP") && lines[i].startsWith(QLatin1String(".B")))
            optionsIn(lines[i], described);
    }
    for (const QString &name : listed)
        QVERIFY2(described.contains(name), qPrintable(name + QStringLiteral(" is not described")));
}

void TestPackage::lintianFindsNothing()
{
    if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
        QSKIP("lintian is not available (scripts/common.sh installs it)");
    QStringList arguments{QStringLiteral("--pedantic"), QStringLiteral("--display-info"),
                          QStringLiteral("--display-experimental"),
                          QStringLiteral("--tag-display-limit"), QStringLiteral("0")};
#ifndef KORVEL_PACKAGE_HARDENED
    // scripts/test packages its unoptimised Debug build, which cannot be fortified; the release
    // package (scripts/check-package) is checked for these too.
    arguments << QStringLiteral("--suppress-tags")
              << QStringLiteral("hardening-no-bindnow,hardening-no-fortify-functions");
#endif
    arguments << m_package;
    const Run lintian = run(QStringLiteral("lintian"), arguments);
    QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.out + lintian.err));
    QVERIFY2(lintian.out.trimmed().isEmpty(), qPrintable(lintian.out));
}

void TestPackage::appStreamMetadataIsValid()
{
    if (QStandardPaths::findExecutable(QStringLiteral("appstreamcli")).isEmpty())
        QSKIP("appstreamcli is not available (scripts/common.sh installs it)");
    const QString metainfo =
        m_usr.filePath(QStringLiteral("share/metainfo/org.example.korvel_config.metainfo.xml"));
    const Run validate =
        run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                             QStringLiteral("--pedantic"), metainfo});
    QVERIFY2(validate.exitCode == 0, qPrintable(validate.out + validate.err));
    QFile file(metainfo);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    QVERIFY(xml.contains("<launchable type=\"desktop-id\">korvel-config.desktop</launchable>"));
    QVERIFY(xml.contains("<release version=\"" KORVEL_VERSION "\""));
    QVERIFY(xml.contains("<screenshot type=\"default\">"));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
