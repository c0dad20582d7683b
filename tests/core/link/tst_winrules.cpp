// The Windows build's plain rules, checked on every system: the error numbers that stand for
// QSerialPort's failures, the hints, FormatMessage's text on one line, COM port names and the
// waitable timer's due time. The numbers are Windows' own (winerror.h), restated here.
#include "link/win/rules.h"

#include <QTest>

class TestWinRules : public QObject
{
    Q_OBJECT
private slots:
    void errorNumber_data();
    void errorNumber();
    void deviceGone_data();
    void deviceGone();
    void hints_data();
    void hints();
    void systemMessage_data();
    void systemMessage();
    void listedPortName_data();
    void listedPortName();
    void dueTime_data();
    void dueTime();
    void programFolder_data();
    void programFolder();
};

void TestWinRules::errorNumber_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("captured");
    QTest::addColumn<int>("expected");
    // Open: a missing port, one held by another program, a second open of this one.
    QTest::newRow("missing port keeps file not found")
        << int(QSerialPort::DeviceNotFoundError) << 2 << 2;
    QTest::newRow("missing port keeps invalid name")
        << int(QSerialPort::DeviceNotFoundError) << 123 << 123;
    QTest::newRow("missing port without a fitting number")
        << int(QSerialPort::DeviceNotFoundError) << 0 << 2;
    QTest::newRow("missing port, stale access denied")
        << int(QSerialPort::DeviceNotFoundError) << 5 << 2;
    QTest::newRow("held port keeps access denied") << int(QSerialPort::PermissionError) << 5 << 5;
    QTest::newRow("held port keeps sharing violation")
        << int(QSerialPort::PermissionError) << 32 << 32;
    QTest::newRow("held port without a fitting number")
        << int(QSerialPort::PermissionError) << 2 << 5;
    QTest::newRow("already open") << int(QSerialPort::OpenError) << 0 << 170;
    QTest::newRow("not open") << int(QSerialPort::NotOpenError) << 2 << 6;
    // Transfers: the number of a vanished device stays, anything else is an I/O error.
    QTest::newRow("read on unplugged adapter") << int(QSerialPort::ReadError) << 22 << 22;
    QTest::newRow("write on unplugged adapter") << int(QSerialPort::WriteError) << 1167 << 1167;
    QTest::newRow("resource error, access denied") << int(QSerialPort::ResourceError) << 5 << 5;
    QTest::newRow("write on a line closed on the other side")
        << int(QSerialPort::WriteError) << 21 << 21;
    QTest::newRow("resource error, i/o error") << int(QSerialPort::ResourceError) << 1117 << 1117;
    QTest::newRow("read error, unrelated number") << int(QSerialPort::ReadError) << 87 << 1117;
    QTest::newRow("read error, none") << int(QSerialPort::ReadError) << 0 << 1117;
    QTest::newRow("line settings refused")
        << int(QSerialPort::UnsupportedOperationError) << 87 << 87;
    QTest::newRow("no serial port") << int(QSerialPort::UnsupportedOperationError) << 1 << 1;
    QTest::newRow("unsupported, unrelated number")
        << int(QSerialPort::UnsupportedOperationError) << 5 << 87;
    QTest::newRow("timeout") << int(QSerialPort::TimeoutError) << 0 << 1460;
    QTest::newRow("unknown keeps its number") << int(QSerialPort::UnknownError) << 1450 << 1450;
    QTest::newRow("unknown without number") << int(QSerialPort::UnknownError) << 0 << 1117;
    QTest::newRow("no error") << int(QSerialPort::NoError) << 5 << 0;
}

void TestWinRules::errorNumber()
{
    QFETCH(int, failure);
    QFETCH(int, captured);
    QFETCH(int, expected);
    QCOMPARE(WinRules::errorNumber(QSerialPort::SerialPortError(failure), captured), expected);
}

void TestWinRules::deviceGone_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("gone");
    QTest::newRow("bad command (unplugged USB adapter)") << 22 << true;
    QTest::newRow("access denied (unplugged USB adapter)") << 5 << true;
    QTest::newRow("device not connected") << 1167 << true;
    QTest::newRow("device removed") << 1617 << true;
    QTest::newRow("not ready (the other side of a serial line closed)") << 21 << true;
    QTest::newRow("invalid handle") << 6 << true;
    QTest::newRow("operation aborted") << 995 << true;
    QTest::newRow("invalid parameter is a refusal") << 87 << false;
    QTest::newRow("incorrect function is a refusal") << 1 << false;
    QTest::newRow("timeout is a refusal") << 1460 << false;
    QTest::newRow("no error") << 0 << false;
}

void TestWinRules::deviceGone()
{
    QFETCH(int, code);
    QFETCH(bool, gone);
    QCOMPARE(WinRules::meansDeviceGone(code), gone);
}

void TestWinRules::hints_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<QString>("expected");
    const QString system = QStringLiteral("The system's own text.\r\n");
    QTest::newRow("port held by another program")
        << 5 << system
        << "Access denied: the port is open in another program; close it and connect again";
    QTest::newRow("missing port")
        << 2 << system << "File not found: check the port name; the list shows the ports present";
    QTest::newRow("unplugged adapter")
        << 1167 << system
        << "Device not connected: the adapter was unplugged; plug it in and connect again";
    QTest::newRow("line settings refused")
        << 87 << system
        << "Invalid parameter: the port does not take these line settings; choose another baud "
           "rate or port";
    QTest::newRow("line closed on the other side")
        << 21 << system
        << "Device not ready: the adapter was unplugged or the line closed; plug it in and "
           "connect again";
    QTest::newRow("closed port") << 6 << system
                                 << "Invalid handle: the port is closed; connect again";
    QTest::newRow("other number: the system's text on one line")
        << 1450
        << QStringLiteral(
               "Insufficient system resources exist to complete the\r\nrequested service.\r\n")
        << "Insufficient system resources exist to complete the requested service";
    QTest::newRow("number the system does not know") << 99999 << QString() << QString();
    QTest::newRow("no error") << 0 << system << QString();
}

void TestWinRules::hints()
{
    QFETCH(int, code);
    QFETCH(QString, systemText);
    QFETCH(QString, expected);
    QCOMPARE(WinRules::errorHint(code, systemText), expected);
}

void TestWinRules::systemMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("final full stop and line break") << "Access is denied.\r\n"
                                                    << "Access is denied";
    QTest::newRow("lines joined") << "The semaphore timeout period\r\nhas expired.\r\n"
                                  << "The semaphore timeout period has expired";
    QTest::newRow("unfilled insert") << "The device %1 is not ready.\r\n"
                                     << "The device is not ready";
    QTest::newRow("German text unchanged")
        << QStringLiteral("Zugriff verweigert") << QStringLiteral("Zugriff verweigert");
    QTest::newRow("empty") << QString() << QString();
}

void TestWinRules::systemMessage()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(WinRules::cleanSystemMessage(text), expected);
}

void TestWinRules::listedPortName_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("expected");
    QTest::newRow("device path") << "\\\\.\\COM3"
                                 << "COM3";
    QTest::newRow("two-digit port") << "\\\\.\\COM12"
                                    << "COM12";
    QTest::newRow("device path with slashes") << "//./COM4"
                                              << "COM4";
    QTest::newRow("plain name") << "COM1"
                                << "COM1";
    QTest::newRow("Linux device") << "/dev/ttyUSB0"
                                  << "/dev/ttyUSB0";
    QTest::newRow("prefix only at the start") << "COM\\\\.\\5"
                                              << "COM\\\\.\\5";
}

void TestWinRules::listedPortName()
{
    QFETCH(QString, location);
    QFETCH(QString, expected);
    QCOMPARE(WinRules::listedPortName(location), expected);
}

void TestWinRules::dueTime_data()
{
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("target");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("one millisecond") << qint64(5'000'000) << qint64(6'000'000) << qint64(-10'000);
    QTest::newRow("rounded up, never early") << qint64(0) << qint64(1'000'001) << qint64(-10'001);
    QTest::newRow("a part of one unit") << qint64(0) << qint64(150) << qint64(-2);
    QTest::newRow("exactly one unit") << qint64(0) << qint64(100) << qint64(-1);
    QTest::newRow("less than one unit") << qint64(0) << qint64(40) << qint64(-1);
    QTest::newRow("moment passed") << qint64(9'000'000) << qint64(8'000'000) << qint64(-1);
    QTest::newRow("large clock values")
        << qint64(7'000'000'000'000'000) << qint64(7'000'000'020'000'000) << qint64(-200'000);
}

void TestWinRules::dueTime()
{
    QFETCH(qint64, now);
    QFETCH(qint64, target);
    QFETCH(qint64, expected);
    QCOMPARE(WinRules::relativeDueTime(now, target), expected);
}

void TestWinRules::programFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("roots");
    QTest::addColumn<bool>("installed");
    const QStringList roots{QStringLiteral("C:\\Program Files"),
                            QStringLiteral("C:\\Program Files (x86)"), QString()};
    QTest::newRow("installed") << "C:/Program Files/Korvel-Config" << roots << true;
    QTest::newRow("other case and separators")
        << "c:\\PROGRAM FILES (X86)\\Korvel\\bin" << roots << true;
    QTest::newRow("unpacked in the downloads")
        << "C:/Users/eng/Downloads/Korvel-Config" << roots << false;
    QTest::newRow("sibling with the same start") << "C:/Program Files2/Korvel" << roots << false;
    QTest::newRow("root with trailing separator")
        << "D:/Apps/Korvel" << QStringList{"D:\\Apps\\"} << true;
    QTest::newRow("no program folders (Linux)")
        << "/usr/bin" << QStringList{QString(), QString()} << false;
}

void TestWinRules::programFolder()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, roots);
    QFETCH(bool, installed);
    QCOMPARE(WinRules::isUnderProgramFolder(folder, roots), installed);
}

QTEST_APPLESS_MAIN(TestWinRules)
#include "tst_winrules.moc"
