#include "common/settingsfile.h"
#include "window/datafolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// The settings file's lines and selector indexes, and the folder the program keeps its files in.
class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void shownItemIsStored_data();
    void shownItemIsStored();
    void linesAreRead_data();
    void linesAreRead();
    void onlyASmallRegularFileIsRead_data();
    void onlyASmallRegularFileIsRead();
    void dataFolder_data();
    void dataFolder();
};

void TestSettingsFile::shownItemIsStored_data()
{
    const QStringList bauds{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    const QStringList ports{"/dev/ttyS0", "/dev/ttyUSB0", "DEMO"};
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("currentIndex");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored");
    QTest::newRow("chosen item") << bauds << 6 << "57600" << 6;
    QTest::newRow("9600 typed after choosing 57600") << bauds << 6 << "9600" << 3;
    QTest::newRow("typed rate in no item") << bauds << 6 << "250000" << -1;
    QTest::newRow("typed rate, nothing chosen before") << bauds << -1 << "115200" << 7;
    QTest::newRow("text emptied") << bauds << 4 << "" << -1;
    QTest::newRow("typed rate with a blank is no item") << bauds << 4 << "9600 " << -1;
    QTest::newRow("typed port that is listed") << ports << 0 << "/dev/ttyUSB0" << 1;
    QTest::newRow("typed pseudo-terminal") << ports << 0 << "/dev/pts/3" << -1;
    QTest::newRow("DEMO chosen") << ports << 2 << "DEMO" << 2;
    QTest::newRow("port names are case-sensitive") << ports << 2 << "demo" << -1;
    QTest::newRow("current index beyond the list") << ports << 7 << "DEMO" << 2;
}

void TestSettingsFile::shownItemIsStored()
{
    QFETCH(QStringList, items);
    QFETCH(int, currentIndex);
    QFETCH(QString, shown);
    QTEST(shownItemIndex(items, currentIndex, shown), "stored");
}

void TestSettingsFile::linesAreRead_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("portName");
    QTest::newRow("as written") << QByteArray("-1\r\n2\r\n4\r\n") << true << 2 << 4 << "";
    QTest::newRow("unchecked") << QByteArray("0\r\n2\r\n4\r\n") << false << 2 << 4 << "";
    QTest::newRow("CR only") << QByteArray("-1\r1\r7\r") << true << 1 << 7 << "";
    QTest::newRow("LF only") << QByteArray("-1\n1\n7\n") << true << 1 << 7 << "";
    QTest::newRow("Boolean text") << QByteArray("True\r\n0\r\n0\r\n") << true << 0 << 0 << "";
    QTest::newRow("no selection") << QByteArray("-1\r\n-1\r\n-1\r\n") << true << -1 << -1 << "";
    QTest::newRow("words where numbers belong")
        << QByteArray("-1\r\nCOM3\r\nfast\r\n") << true << -1 << -1 << "";
    QTest::newRow("one line") << QByteArray("-1") << true << -1 << -1 << "";
    QTest::newRow("empty") << QByteArray() << false << -1 << -1 << "";
    QTest::newRow("port name after its index")
        << QByteArray("-1\r\n2\t/dev/ttyUSB0\r\n4\r\n") << true << 2 << 4 << "/dev/ttyUSB0";
    QTest::newRow("typed path, no item")
        << QByteArray("-1\r\n-1\t/dev/pts/7\r\n4\r\n") << true << -1 << 4 << "/dev/pts/7";
    QTest::newRow("name with blanks, LF only")
        << QByteArray("-1\n0\tmy port \n4\n") << true << 0 << 4 << "my port ";
    QTest::newRow("name in UTF-8")
        << QByteArray("-1\r1\t/dev/serial/by-id/ä\r7\r") << true << 1 << 7 << "/dev/serial/by-id/ä";
    QTest::newRow("control character: no name")
        << QByteArray("-1\r\n3\tCOM\x01\r\n4\r\n") << true << 3 << 4 << "";
    QTest::newRow("broken index, name kept")
        << QByteArray("-1\r\nx\tCOM3\r\n4\r\n") << true << -1 << 4 << "COM3";
}

void TestSettingsFile::linesAreRead()
{
    QFETCH(QByteArray, content);
    const ComSettings settings = parseComSettings(content);
    QTEST(settings.save, "save");
    QTEST(settings.portIndex, "port");
    QTEST(settings.baudIndex, "baud");
    QTEST(settings.portName, "portName");
    // What is written reads back the same, in three lines.
    const QByteArray written = formatComSettings(settings);
    QCOMPARE(written.count("\r\n"), 3);
    const ComSettings back = parseComSettings(written);
    QCOMPARE(back.save, settings.save);
    QCOMPARE(back.portIndex, settings.portIndex);
    QCOMPARE(back.baudIndex, settings.baudIndex);
    QCOMPARE(back.portName, settings.portName);
}

void TestSettingsFile::onlyASmallRegularFileIsRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("read");
    QTest::newRow("as written") << "file" << true;
    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("link to /dev/zero") << "zero" << false;
    QTest::newRow("1 MB") << "huge" << false;
}

void TestSettingsFile::onlyASmallRegularFileIsRead()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(kSettingsFileName));
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("-1\r\n1\r\n5\r\n");
        if (kind == QLatin1String("huge"))
            QVERIFY(file.resize(1024 * 1024));
    }
    const auto settings = readComSettings(path);
    QTEST(settings.has_value(), "read");
    if (settings)
        QCOMPARE(settings->baudIndex, 5);
}

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
