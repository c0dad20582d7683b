// A copy in one of Windows' program folders counts as installed even where its folder can be
// written (an administrator's session): it keeps its files in the user's data folder. The
// program folders come from the environment, so the rule runs here as on Windows.
#include "window/datafolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    void programFolderKeepsFilesInTheUserFolder_data();
    void programFolderKeepsFilesInTheUserFolder();
};

void TestProgramFolder::programFolderKeepsFilesInTheUserFolder_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<bool>("inProgramFolder");
    QTest::newRow("under ProgramFiles") << QByteArray("ProgramFiles") << true;
    QTest::newRow("under ProgramFiles(x86)") << QByteArray("ProgramFiles(x86)") << true;
    QTest::newRow("under ProgramW6432") << QByteArray("ProgramW6432") << true;
    QTest::newRow("elsewhere: a portable copy") << QByteArray("ProgramFiles") << false;
}

void TestProgramFolder::programFolderKeepsFilesInTheUserFolder()
{
    QFETCH(QByteArray, variable);
    QFETCH(bool, inProgramFolder);
    QTemporaryDir dir;
    const QString programs = dir.filePath(QStringLiteral("Program Files"));
    const QString bin = inProgramFolder ? programs + QStringLiteral("/Korvel-Config")
                                        : dir.filePath(QStringLiteral("Downloads/Korvel-Config"));
    const QString user = dir.filePath(QStringLiteral("AppData/Roaming/korvel-config"));
    QVERIFY(QDir().mkpath(bin));
    for (const char *name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"})
        qunsetenv(name);
    qputenv(variable.constData(), QDir::toNativeSeparators(programs).toLocal8Bit());

    QCOMPARE(isInstalledLocation(bin), inProgramFolder);
    QCOMPARE(chooseDataFolder(bin, user), (inProgramFolder ? user : bin) + QLatin1Char('/'));
    qunsetenv(variable.constData());
}

QTEST_APPLESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
