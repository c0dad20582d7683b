#include "window/datafolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The folder the program keeps its files in (the settings file's lines: tst_comsettings).
class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void dataFolder_data();
    void dataFolder();
};

void TestSettingsFile::dataFolder_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("portable");
    QTest::newRow("copy in a folder of its own") << false << false << true;
    QTest::newRow("installed, folder writable (root)") << true << false << false;
    QTest::newRow("folder not writable") << false << true << false;
}

void TestSettingsFile::dataFolder()
{
    QFETCH(bool, installed);
    QFETCH(bool, readOnly);
    QFETCH(bool, portable);
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString user = root.filePath(QStringLiteral("home/.local/share/korvel-config"));
    QVERIFY(QDir().mkpath(bin));
    if (installed) {
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("usr/share/applications"))));
        QFile entry(root.filePath(QStringLiteral("usr/share/applications/")) +
                    QLatin1String(kDesktopEntryName));
        QVERIFY(entry.open(QIODevice::WriteOnly));
    }
    if (readOnly) {
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(bin).isWritable()) {
            QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("running as root: every folder is writable");
        }
    }

    const QString chosen = chooseDataFolder(bin, user);
    if (readOnly)
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(chosen, (portable ? bin : user) + QLatin1Char('/'));
    QCOMPARE(QFileInfo(user).isDir(), !portable);

    const QString description = dataFolderDescription(1, chosen);
    QVERIFY(description.contains(QDir::toNativeSeparators(chosen)));
    QVERIFY(dataFolderDescription(0, chosen).startsWith(QStringLiteral("Einstellungen")));
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
