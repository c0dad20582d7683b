#include "link/comport.h"
#include "support_pty.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// The program's port object over the system's serial device, the module played on a
// pseudo-terminal.
class TestComPortSerial : public QObject
{
    Q_OBJECT
private slots:
    // First, while no port of an earlier case can still be ending its thread.
    void listingPortsStartsNoThread();
    void failuresCarryOperationAndErrorNumber_data();
    void failuresCarryOperationAndErrorNumber();
    void frameAndAnswer();
    void shortAnswerComesAfterReadTimeout();
    void bytesReceivedWhileIdle();
    void bytesReadByTransactionRaiseNoEvent();
    void rtsOnTerminalIsAccepted();
    void lostLineIsReportedAndCloses();
};

void TestComPortSerial::listingPortsStartsNoThread()
{
    const auto threadCount = [] {
        return QDir(QStringLiteral("/proc/self/task"))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
            .size();
    };
    const qsizetype before = threadCount();
    QVERIFY(before >= 1);
    PtyPair module;
    ComPort port;
    port.listPorts();
    port.portDescriptions();
    QCOMPARE(threadCount(), before);

    // The output-empty clock's waker is the one thread an open port runs.
    port.setPortName(module.terminalPath());
    port.open();
    QCOMPARE(threadCount(), before + 1);
    port.close();
}

void TestComPortSerial::failuresCarryOperationAndErrorNumber_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("expected");
    QTest::newRow("open of a missing port")
        << "open"
        << "Unable to open com port (win error code: 2)\r\nNo such file or directory: check the "
           "port name; the list shows the ports present";
    QTest::newRow("write while closed") << "write"
                                        << "WriteFile function failed (win error code: 9)\r\nBad "
                                           "file descriptor: the port is closed; connect again";
    QTest::newRow("read while closed") << "read"
                                       << "ReadFile function failed (win error code: 9)\r\nBad "
                                          "file descriptor: the port is closed; connect again";
    QTest::newRow("clear while closed") << "clear"
                                        << "PurgeComm function failed (win error code: 9)\r\nBad "
                                           "file descriptor: the port is closed; connect again";
}

void TestComPortSerial::failuresCarryOperationAndErrorNumber()
{
    QFETCH(QString, operation);
    QFETCH(QString, expected);
    ComPort port;
    port.setPortName(QStringLiteral("/dev/korvel-no-such-port"));
    QString text;
    try {
        if (operation == "open")
            port.open();
        else if (operation == "write")
            port.write("\xB0\x00\x00");
        else if (operation == "read")
            port.read(2);
        else
            port.clearBuffers(true, true);
    } catch (const PortError &error) {
        text = error.text();
    }
    QCOMPARE(text, expected);
    QVERIFY(!port.isOpen());
}

void TestComPortSerial::frameAndAnswer()
{
    PtyPair module;
    ComPort port;
    port.setPortName(module.terminalPath());
    port.open();
    QVERIFY(port.isOpen());

    // Every frame is followed at once by a clear of both buffers.
    port.write(QByteArray("\xB0\x00\x01", 3));
    port.clearBuffers(true, true);
    QCOMPARE(module.receive(3, 2000), QByteArray("\xB0\x00\x01", 3));

    QVERIFY(module.send(QByteArray("\x00\x01\x43", 3)));
    QCOMPARE(port.read(2), QByteArray("\x00\x01", 2));
    QTRY_COMPARE(port.inputCount(), 1);
    QCOMPARE(port.read(1), QByteArray("\x43"));
}

void TestComPortSerial::shortAnswerComesAfterReadTimeout()
{
    PtyPair module;
    ComPort port;
    port.setPortName(module.terminalPath());
    port.setReadTimeout(500);
    port.open();
    QVERIFY(module.send(QByteArray("\xB0\x05", 2)));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(port.read(3), QByteArray("\xB0\x05", 2));
    QVERIFY2(timer.elapsed() >= 450 && timer.elapsed() < 1500,
             qPrintable(QString::number(timer.elapsed())));
}

void TestComPortSerial::bytesReceivedWhileIdle()
{
    PtyPair module;
    ComPort port;
    port.setPortName(module.terminalPath());
    port.open();
    QSignalSpy received(&port, &ComPort::bytesReceived);
    QVERIFY(module.send(QByteArray("\x81\x10\x20", 3)));
    QTRY_VERIFY(!received.isEmpty());
    int announced = 0;
    for (const auto &args : received)
        announced = qMax(announced, args.at(0).toInt());
    QVERIFY(announced >= 1 && announced <= 3);
    QCOMPARE(port.inputCount(), 3);
}

void TestComPortSerial::bytesReadByTransactionRaiseNoEvent()
{
    PtyPair module;
    ComPort port;
    port.setPortName(module.terminalPath());
    port.open();
    QCoreApplication::processEvents();
    QSignalSpy received(&port, &ComPort::bytesReceived);
    QVERIFY(module.send(QByteArray("\xB0\x00", 2)));
    QCOMPARE(port.read(2), QByteArray("\xB0\x00", 2));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(received.count(), 0);
}

void TestComPortSerial::rtsOnTerminalIsAccepted()
{
    PtyPair module;
    ComPort port;
    port.setPortName(module.terminalPath());
    port.open();
    port.setRts(true);
    QVERIFY(port.rts());
    port.setBaudRate(115200);
    port.setRts(false);
    QVERIFY(!port.rts());
    QVERIFY(port.isOpen());
}

void TestComPortSerial::lostLineIsReportedAndCloses()
{
    PtyPair module;
    ComPort port;
    port.setPortName(module.terminalPath());
    port.open();
    QSignalSpy failed(&port, &ComPort::failed);
    module.closeModuleSide();
    QVERIFY(failed.wait(2000));
    QCOMPARE(failed.at(0).at(0).toString(),
             "Unable to get async status (win error code: 5)\r\nInput/output error: the adapter "
             "was unplugged or the line failed; plug it in and connect again");
    QVERIFY(!port.isOpen());
    QCoreApplication::processEvents();
    QCOMPARE(failed.count(), 1);
}

QTEST_GUILESS_MAIN(TestComPortSerial)
#include "tst_comportserial.moc"
