#include "link/platform.h"
#include "link/qserialportdevice.h"
#include "support_pty.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryFile>
#include <QTest>

#include <chrono>
#include <thread>

#include <termios.h>

class TestSerialDevice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void opensTerminalByPath();
    void modemLinesOnTerminalAreRemembered_data();
    void modemLinesOnTerminalAreRemembered();
    void lineSettingsOnTerminal();
    void openFailureGivesErrorNumber_data();
    void openFailureGivesErrorNumber();
    void errorNumberOfPortFailure_data();
    void errorNumberOfPortFailure();

    void readIsBoundedByCountAndTimeout_data();
    void readIsBoundedByCountAndTimeout();
    void writeSurvivesPurgeThatFollows_data();
    void writeSurvivesPurgeThatFollows();
    void clearInputDropsWaitingBytes();

    void bytesArrivedWhileIdle();
    void bytesArrivedAfterRead_data();
    void bytesArrivedAfterRead();

    void emptyReadIsNoLoss();
    void lostLineIsReportedOnce();
    void lostLineFailsTheCall_data();
    void lostLineFailsTheCall();
};

void TestSerialDevice::initTestCase()
{
    qRegisterMetaType<PortOperation>();
}

void TestSerialDevice::opensTerminalByPath()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QSerialPortDevice device;
    QVERIFY2(device.open(pty.terminalPath()), qPrintable(QString::number(device.errorCode())));
    QVERIFY(device.isOpen());
    QVERIFY(!device.hasModemLines());
    device.close();
    QVERIFY(!device.isOpen());
    device.close();
    QVERIFY(!device.isOpen());
}

void TestSerialDevice::modemLinesOnTerminalAreRemembered_data()
{
    QTest::addColumn<bool>("rtsLine");
    QTest::addColumn<bool>("asserted");
    QTest::addColumn<bool>("beforeOpen");
    QTest::newRow("RTS raised while open") << true << true << false;
    QTest::newRow("RTS lowered while open") << true << false << false;
    QTest::newRow("RTS raised before open") << true << true << true;
    QTest::newRow("DTR released while open") << false << false << false;
    QTest::newRow("DTR released before open") << false << false << true;
}

void TestSerialDevice::modemLinesOnTerminalAreRemembered()
{
    QFETCH(bool, rtsLine);
    QFETCH(bool, asserted);
    QFETCH(bool, beforeOpen);
    PtyPair pty;
    QSerialPortDevice device;
    // Start from the opposite state so that the change is visible.
    QVERIFY(rtsLine ? device.setRts(!asserted) : device.setDtr(!asserted));
    if (!beforeOpen)
        QVERIFY(device.open(pty.terminalPath()));
    QVERIFY(rtsLine ? device.setRts(asserted) : device.setDtr(asserted));
    if (beforeOpen)
        QVERIFY(device.open(pty.terminalPath()));
    QCOMPARE(rtsLine ? device.rts() : device.dtr(), asserted);
    QCOMPARE(device.errorCode(), 0);
    QVERIFY(device.isOpen());
}

void TestSerialDevice::lineSettingsOnTerminal()
{
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    for (qint32 baud : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        QVERIFY2(device.setBaudRate(baud), qPrintable(QString::number(baud)));
    // The line still carries bytes after the changes.
    QVERIFY(pty.send("\x42"));
    QCOMPARE(device.read(1, 2000), std::optional<QByteArray>("\x42"));
}

void TestSerialDevice::openFailureGivesErrorNumber_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("expectedCode");
    QTest::newRow("missing device gives ENOENT") << "missing" << 2;
    QTest::newRow("file that is no terminal gives ENOTTY") << "regular file" << 25;
    QTest::newRow("port held by another device gives EBUSY") << "in use" << 16;
    // The name does not fit the port's lock file: no other program is involved.
    QTest::newRow("name of 4005 characters gives ENAMETOOLONG") << "long name" << 36;
}

void TestSerialDevice::openFailureGivesErrorNumber()
{
    QFETCH(QString, target);
    QFETCH(int, expectedCode);
    PtyPair pty;
    QTemporaryFile file;
    QVERIFY(file.open());
    QSerialPortDevice holder;
    QString path = QStringLiteral("/dev/korvel-no-such-port");
    if (target == "regular file") {
        path = file.fileName();
    } else if (target == "long name") {
        path = QStringLiteral("/dev/") + QString(4000, QLatin1Char('x'));
    } else if (target == "in use") {
        path = pty.terminalPath();
        QVERIFY(holder.open(path));
    }
    QSerialPortDevice device;
    QVERIFY(!device.open(path));
    QVERIFY(!device.isOpen());
    QCOMPARE(device.errorCode(), expectedCode);
}

void TestSerialDevice::errorNumberOfPortFailure_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<int>("capturedErrno");
    QTest::addColumn<int>("expected");
    QTest::newRow("device not found with stale errno gives ENOENT")
        << QSerialPort::DeviceNotFoundError << 11 << 2;
    QTest::newRow("permission keeps EACCES") << QSerialPort::PermissionError << 13 << 13;
    QTest::newRow("lock held with stale EEXIST gives EBUSY")
        << QSerialPort::PermissionError << 17 << 16;
    QTest::newRow("lock file name too long keeps ENAMETOOLONG")
        << QSerialPort::PermissionError << 36 << 36;
    QTest::newRow("read-only lock folder keeps EROFS") << QSerialPort::PermissionError << 30 << 30;
    QTest::newRow("read error at end of line gives EIO") << QSerialPort::ReadError << 0 << 5;
    QTest::newRow("read error with stale EAGAIN gives EIO") << QSerialPort::ReadError << 11 << 5;
    QTest::newRow("unsupported keeps ENOTTY") << QSerialPort::UnsupportedOperationError << 25 << 25;
    QTest::newRow("unknown keeps errno") << QSerialPort::UnknownError << 28 << 28;
}

void TestSerialDevice::errorNumberOfPortFailure()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(int, capturedErrno);
    QFETCH(int, expected);
    QCOMPARE(SerialPlatform::serialErrorNumber(error, capturedErrno), expected);
}

void TestSerialDevice::readIsBoundedByCountAndTimeout_data()
{
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<QByteArray>("sentDuringRead");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<int>("leftOver");

    QTest::newRow("count waiting returns at once, rest stays")
        << QByteArray("\x01\x02\x03\x04\x05") << QByteArray() << 2 << 2000 << QByteArray("\x01\x02")
        << 0 << 1000 << 3;
    QTest::newRow("fewer than count come after the timeout")
        << QByteArray("\xB0\x00", 2) << QByteArray() << 3 << 500 << QByteArray("\xB0\x00", 2) << 450
        << 1500 << 0;
    QTest::newRow("nothing arrives gives empty after the timeout")
        << QByteArray() << QByteArray() << 2 << 200 << QByteArray() << 180 << 1200 << 0;
    QTest::newRow("bytes arriving during the read complete the count")
        << QByteArray("\x11") << QByteArray("\x12\x13\x14") << 3 << 3000
        << QByteArray("\x11\x12\x13") << 0 << 2500 << 1;
    QTest::newRow("zero timeout still takes the bytes received")
        << QByteArray("\x21\x22") << QByteArray() << 2 << 0 << QByteArray("\x21\x22") << 0 << 500
        << 0;
}

void TestSerialDevice::readIsBoundedByCountAndTimeout()
{
    QFETCH(QByteArray, waiting);
    QFETCH(QByteArray, sentDuringRead);
    QFETCH(int, count);
    QFETCH(int, timeoutMs);
    QFETCH(QByteArray, expected);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QFETCH(int, leftOver);

    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    QVERIFY(pty.send(waiting));
    QTRY_COMPARE(device.bytesAvailable(), qint64(waiting.size()));

    // The read blocks without running the event loop, so a second thread plays the module.
    std::thread module;
    if (!sentDuringRead.isEmpty()) {
        // One byte at a time, so that the read has to wait more than once.
        module = std::thread([&pty, sentDuringRead] {
            for (char byte : sentDuringRead) {
                std::this_thread::sleep_for(std::chrono::milliseconds(60));
                pty.send(QByteArray(1, byte));
            }
        });
    }
    QElapsedTimer timer;
    timer.start();
    const auto bytes = device.read(count, timeoutMs);
    const qint64 elapsed = timer.elapsed();
    if (module.joinable())
        module.join();

    QVERIFY(bytes.has_value());
    QCOMPARE(*bytes, expected);
    QVERIFY2(elapsed >= minMs && elapsed <= maxMs, qPrintable(QString::number(elapsed)));
    QTRY_COMPARE(device.bytesAvailable(), qint64(leftOver));
}

void TestSerialDevice::writeSurvivesPurgeThatFollows_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("command frame") << QByteArray("\xB0\x00\x01", 3);
    QByteArray block(1000, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 7);
    QTest::newRow("long block") << block;
}

void TestSerialDevice::writeSurvivesPurgeThatFollows()
{
    QFETCH(QByteArray, data);
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    QCOMPARE(device.write(data, 1000), qint64(data.size()));
    QVERIFY(device.clear(true, true));
    QCOMPARE(pty.receive(data.size(), 2000), data);
}

void TestSerialDevice::clearInputDropsWaitingBytes()
{
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    QVERIFY(pty.send("\x01\x02\x03\x04"));
    QTRY_COMPARE(device.bytesAvailable(), qint64(4));
    QVERIFY(device.clear(true, false));
    QCOMPARE(device.bytesAvailable(), qint64(0));
    QCOMPARE(device.read(1, 50), std::optional<QByteArray>(QByteArray()));
}

void TestSerialDevice::bytesArrivedWhileIdle()
{
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    QSignalSpy arrived(&device, &SerialDevice::bytesArrived);
    QVERIFY(pty.send("\x81\x05"));
    QVERIFY(arrived.wait(2000));
    QTRY_COMPARE(device.bytesAvailable(), qint64(2));
}

void TestSerialDevice::bytesArrivedAfterRead_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("announced");
    QTest::newRow("bytes left over are announced")
        << QByteArray("\x01\x02\x03\x04\x05") << 2 << true;
    QTest::newRow("bytes all read are not announced") << QByteArray("\x01\x02\x03") << 3 << false;
}

void TestSerialDevice::bytesArrivedAfterRead()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, count);
    QFETCH(bool, announced);
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    bool insideRead = false;
    bool emittedInsideRead = false;
    connect(&device, &SerialDevice::bytesArrived, this,
            [&] { emittedInsideRead = emittedInsideRead || insideRead; });
    QSignalSpy arrived(&device, &SerialDevice::bytesArrived);

    // No event processing between sending and reading: the bytes arrive during the read.
    QVERIFY(pty.send(sent));
    insideRead = true;
    const auto bytes = device.read(count, 2000);
    insideRead = false;
    QVERIFY(bytes.has_value());
    QCOMPARE(*bytes, sent.left(count));

    if (announced) {
        QTRY_VERIFY(arrived.count() >= 1);
        QCOMPARE(device.bytesAvailable(), qint64(sent.size() - count));
    } else {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(arrived.count(), 0);
    }
    QVERIFY(!emittedInsideRead);
}

void TestSerialDevice::emptyReadIsNoLoss()
{
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    auto *port = device.findChild<QSerialPort *>();
    QVERIFY(port);
    const int fd = int(port->handle());
    QSignalSpy lost(&device, &SerialDevice::deviceLost);
    QSignalSpy arrived(&device, &SerialDevice::bytesArrived);
    QSignalSpy portErrors(port, &QSerialPort::errorOccurred);

    // A watcher of the same line that clears the input when bytes come, placed ahead of the
    // port's own watcher: the port's read then finds the bytes gone, as it does when an
    // exchange clears the input between the notification and the read.
    const auto portWatchers = port->findChildren<QSocketNotifier *>();
    for (QSocketNotifier *watcher : portWatchers)
        watcher->setEnabled(false);
    QSocketNotifier clearer(fd, QSocketNotifier::Read);
    int clears = 0;
    connect(&clearer, &QSocketNotifier::activated, this, [&] {
        ::tcflush(fd, TCIFLUSH);
        ++clears;
    });
    for (QSocketNotifier *watcher : portWatchers)
        watcher->setEnabled(true);

    QVERIFY(pty.send("\x30\xA9"));
    QTRY_VERIFY(portErrors.count() >= 1);
    clearer.setEnabled(false);
    QVERIFY(clears >= 1);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(lost.count(), 0);
    QVERIFY(device.isOpen());

    // The port still listens: the next bytes are announced and read.
    arrived.clear();
    QVERIFY(pty.send("\x30\xAA"));
    QVERIFY(arrived.wait(2000));
    QCOMPARE(device.read(2, 500), std::optional<QByteArray>(QByteArray("\x30\xAA")));

    // A real hang-up is still a loss, reported once.
    pty.closeModuleSide();
    QVERIFY(lost.wait(2000));
    QCoreApplication::processEvents();
    QCOMPARE(lost.count(), 1);
    QVERIFY(!device.isOpen());
}

void TestSerialDevice::lostLineIsReportedOnce()
{
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    auto *port = device.findChild<QSerialPort *>();
    QVERIFY(port);
    QSignalSpy portErrors(port, &QSerialPort::errorOccurred);
    QSignalSpy lost(&device, &SerialDevice::deviceLost);

    pty.closeModuleSide();
    QVERIFY(lost.wait(2000));
    QVERIFY(!device.isOpen());
    QCOMPARE(lost.at(0).at(0).value<PortOperation>(), PortOperation::AsyncStatus);
    QVERIFY(lost.at(0).at(1).toInt() != 0);
    QCOMPARE(device.errorCode(), lost.at(0).at(1).toInt());

    // A vanished line makes the port raise errors in a loop while it stays open; here the loop
    // must have ended with the close.
    const int errorsAtLoss = int(portErrors.count());
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);
    QVERIFY2(portErrors.count() < 50, qPrintable(QString::number(portErrors.count())));
    QCOMPARE(portErrors.count(), errorsAtLoss);
}

void TestSerialDevice::lostLineFailsTheCall_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("read") << "read";
    QTest::newRow("write") << "write";
    QTest::newRow("clear") << "clear";
    QTest::newRow("baud rate") << "baud rate";
}

void TestSerialDevice::lostLineFailsTheCall()
{
    QFETCH(QString, call);
    PtyPair pty;
    QSerialPortDevice device;
    QVERIFY(device.open(pty.terminalPath()));
    QSignalSpy lost(&device, &SerialDevice::deviceLost);

    pty.closeModuleSide();
    QElapsedTimer timer;
    timer.start();
    bool succeeded = true;
    if (call == "read")
        succeeded = device.read(2, 1000).has_value();
    else if (call == "write")
        succeeded = device.write("\xB0\x00\x00", 1000) >= 0;
    else if (call == "clear")
        succeeded = device.clear(true, true);
    else
        succeeded = device.setBaudRate(9600);
    QVERIFY(!succeeded);
    QVERIFY(timer.elapsed() < 900);
    QVERIFY(device.errorCode() != 0);
    QVERIFY(!device.isOpen());
    // The call has reported the loss; no second report follows.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(lost.count(), 0);
}

QTEST_GUILESS_MAIN(TestSerialDevice)
#include "tst_serialdevice.moc"
