#include "common/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// The settings file's lines, the port's name in it and the selector indexes it keeps.
class TestComSettings : public QObject
{
    Q_OBJECT
private slots:
    void shownItemIsStored_data();
    void shownItemIsStored();
    void linesAreRead_data();
    void linesAreRead();
    void linesAreWritten_data();
    void linesAreWritten();
    void nameBytesAreKeptWhileShown_data();
    void nameBytesAreKeptWhileShown();
    void onlyASmallRegularFileIsRead_data();
    void onlyASmallRegularFileIsRead();
};

void TestComSettings::shownItemIsStored_data()
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

void TestComSettings::shownItemIsStored()
{
    QFETCH(QStringList, items);
    QFETCH(int, currentIndex);
    QFETCH(QString, shown);
    QTEST(shownItemIndex(items, currentIndex, shown), "stored");
}

void TestComSettings::linesAreRead_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("portName");
    QTest::newRow("three lines") << QByteArray("-1\r\n2\r\n4\r\n") << true << 2 << 4
                                 << QByteArray();
    QTest::newRow("unchecked") << QByteArray("0\r\n2\r\n4\r\n") << false << 2 << 4 << QByteArray();
    QTest::newRow("CR only") << QByteArray("-1\r1\r7\r") << true << 1 << 7 << QByteArray();
    QTest::newRow("LF only") << QByteArray("-1\n1\n7\n") << true << 1 << 7 << QByteArray();
    QTest::newRow("Boolean text") << QByteArray("True\r\n0\r\n0\r\n") << true << 0 << 0
                                  << QByteArray();
    QTest::newRow("no selection") << QByteArray("-1\r\n-1\r\n-1\r\n") << true << -1 << -1
                                  << QByteArray();
    QTest::newRow("words where numbers belong")
        << QByteArray("-1\r\nCOM3\r\nfast\r\n") << true << -1 << -1 << QByteArray();
    QTest::newRow("one line") << QByteArray("-1") << true << -1 << -1 << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << -1 << -1 << QByteArray();
    QTest::newRow("name on the fourth line")
        << QByteArray("-1\r\n6\r\n4\r\nDEMO\r\n") << true << 6 << 4 << QByteArray("DEMO");
    QTest::newRow("typed path, no item") << QByteArray("-1\r\n-1\r\n4\r\n/dev/pts/7\r\n") << true
                                         << -1 << 4 << QByteArray("/dev/pts/7");
    QTest::newRow("name with blanks, LF only, no last line end")
        << QByteArray("-1\n0\n4\nmy port ") << true << 0 << 4 << QByteArray("my port ");
    QTest::newRow("name in UTF-8") << QByteArray("-1\r1\r7\r/dev/serial/by-id/\xc3\xa4\r") << true
                                   << 1 << 7 << QByteArray("/dev/serial/by-id/\xc3\xa4");
    QTest::newRow("name that is not UTF-8: its bytes")
        << QByteArray("-1\r\n1\r\n7\r\n/dev/tty\xe9\xff\r\n") << true << 1 << 7
        << QByteArray("/dev/tty\xe9\xff");
    QTest::newRow("control character: no name")
        << QByteArray("-1\r\n3\r\n4\r\nCOM\x01\r\n") << true << 3 << 4 << QByteArray();
    QTest::newRow("name too long to open: no name")
        << QByteArray("-1\r\n3\r\n4\r\n") + QByteArray(4096, 'x') << true << 3 << 4 << QByteArray();
    // Earlier versions wrote the name after a tab on the second line.
    QTest::newRow("earlier: name after its index")
        << QByteArray("-1\r\n6\tDEMO\r\n4\r\n") << true << 6 << 4 << QByteArray("DEMO");
    QTest::newRow("earlier: broken index, name kept")
        << QByteArray("-1\r\nx\tCOM3\r\n4\r\n") << true << -1 << 4 << QByteArray("COM3");
    QTest::newRow("earlier: name that is not UTF-8")
        << QByteArray("-1\r\n2\t/dev/tty\xe9\r\n4\r\n") << true << 2 << 4
        << QByteArray("/dev/tty\xe9");
}

void TestComSettings::linesAreRead()
{
    QFETCH(QByteArray, content);
    const ComSettings settings = parseComSettings(content);
    QTEST(settings.save, "save");
    QTEST(settings.portIndex, "port");
    QTEST(settings.baudIndex, "baud");
    QTEST(settings.portName, "portName");
    // What is written reads back the same.
    const ComSettings back = parseComSettings(formatComSettings(settings));
    QCOMPARE(back.save, settings.save);
    QCOMPARE(back.portIndex, settings.portIndex);
    QCOMPARE(back.baudIndex, settings.baudIndex);
    QCOMPARE(back.portName, settings.portName);
}

void TestComSettings::linesAreWritten_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("portName");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("no name: three lines") << 2 << QByteArray() << QByteArray("-1\r\n2\r\n6\r\n");
    QTest::newRow("the index alone on line 2, the name on line 4")
        << 6 << QByteArray("DEMO") << QByteArray("-1\r\n6\r\n6\r\nDEMO\r\n");
    QTest::newRow("bytes as they are")
        << 0 << QByteArray("tty\xe9") << QByteArray("-1\r\n0\r\n6\r\ntty\xe9\r\n");
    QTest::newRow("a line break in the name is not kept")
        << 1 << QByteArray("COM1\r\n7") << QByteArray("-1\r\n1\r\n6\r\n");
}

void TestComSettings::linesAreWritten()
{
    QFETCH(int, port);
    QFETCH(QByteArray, portName);
    ComSettings settings;
    settings.save = true;
    settings.portIndex = port;
    settings.baudIndex = 6;
    settings.portName = portName;
    QTEST(formatComSettings(settings), "written");
}

void TestComSettings::nameBytesAreKeptWhileShown_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("kept");
    const QByteArray latin1("/dev/tty\xe9");
    QTest::newRow("not UTF-8, still shown") << latin1 << portNameText(latin1) << latin1;
    QTest::newRow("not UTF-8, another port chosen")
        << latin1 << QStringLiteral("COM3") << QByteArray("COM3");
    QTest::newRow("nothing read") << QByteArray() << QStringLiteral("/dev/pts/\u00e4")
                                  << QByteArray("/dev/pts/\xc3\xa4");
}

void TestComSettings::nameBytesAreKeptWhileShown()
{
    QFETCH(QByteArray, read);
    QFETCH(QString, shown);
    QTEST(portNameBytes(shown, read), "kept");
}

void TestComSettings::onlyASmallRegularFileIsRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("read");
    QTest::newRow("as written") << "file" << true;
    QTest::newRow("with the longest name") << "long name" << true;
    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("link to /dev/zero") << "zero" << false;
    QTest::newRow("1 MB") << "huge" << false;
}

void TestComSettings::onlyASmallRegularFileIsRead()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(kSettingsFileName));
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else {
        ComSettings settings;
        settings.save = true;
        settings.portIndex = 1;
        settings.baudIndex = 5;
        if (kind == QLatin1String("long name"))
            settings.portName = QByteArray(kMaxPortNameBytes, 'x');
        QCOMPARE(writeComSettings(path, settings), QString());
        if (kind == QLatin1String("huge"))
            QVERIFY(QFile::resize(path, 1024 * 1024));
    }
    const auto settings = readComSettings(path);
    QTEST(settings.has_value(), "read");
    if (settings)
        QCOMPARE(settings->baudIndex, 5);
}

QTEST_APPLESS_MAIN(TestComSettings)
#include "tst_comsettings.moc"
