#include <QDir>
#include <QFile>
#include <QProcess>
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

} // namespace

// The Debian package as a user gets it: unpacked into a root of its own, the installed program
// keeps its files in the user's data folder, not beside itself in /usr/bin.
class TestPackage : public QObject
{
    Q_OBJECT
private slots:
    void installedProgramSavesIntoTheUserFolder();
};

void TestPackage::installedProgramSavesIntoTheUserFolder()
{
    const QString package = builtPackage();
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg")).isEmpty())
        QSKIP("dpkg is not available");
    if (package.isEmpty())
        QSKIP("no package built (scripts/test and scripts/package build it with cpack)");

    QTemporaryDir root;
    QProcess unpack;
    unpack.start(QStringLiteral("dpkg"), {QStringLiteral("-x"), package, root.path()});
    QVERIFY(unpack.waitForFinished(60000));
    QCOMPARE(unpack.exitCode(), 0);

    const QDir usr(root.filePath(QStringLiteral("usr")));
    const QString program = usr.filePath(QStringLiteral("bin/Korvel_Config"));
    QVERIFY(QFileInfo(program).isExecutable());
    QVERIFY(QFileInfo(usr.filePath(QStringLiteral("bin/korvel-sim"))).isExecutable());
    QVERIFY(QFileInfo::exists(usr.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/"
                                                          "korvel-config.svg"))));
    QFile copyright(usr.filePath(QStringLiteral("share/doc/korvel-config/copyright")));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    const QByteArray licence = copyright.readAll();
    QVERIFY(licence.contains("GNU GENERAL PUBLIC LICENSE"));
    QVERIFY(licence.contains("Version 3, 29 June 2007"));
    QSettings entry(usr.filePath(QStringLiteral("share/applications/korvel-config.desktop")),
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
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(program, {QStringLiteral("--self-check")});
    QVERIFY(run.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed();
    QVERIFY2(run.exitCode() == 0,
             qPrintable(output + QString::fromLocal8Bit(run.readAllStandardError())));

    const QString saved = home.filePath(QStringLiteral("data/korvel-config/self-check.txt"));
    QCOMPARE(output, saved);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("Korvel-Config self-check\r\n"));
    // Nothing was written beside the program.
    QCOMPARE(QDir(usr.filePath(QStringLiteral("bin"))).entryList(QDir::Files, QDir::Name),
             (QStringList{"Korvel_Config", "korvel-sim"}));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
