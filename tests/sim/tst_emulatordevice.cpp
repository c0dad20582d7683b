#include "emulatordevice.h"
#include "link/comport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// An open device whose module has sent its start-up report, which is read away.
void openAndBoot(EmulatorDevice &device)
{
    QVERIFY(device.setBaudRate(19200));
    QVERIFY(device.open(QStringLiteral("COM3")));
    const auto report = device.read(3, 1000);
    QVERIFY(report.has_value());
    QCOMPARE(report->toHex(), QByteArray("003000"));
}

} // namespace

class TestEmulatorDevice : public QObject
{
    Q_OBJECT
private slots:
    void readReturnsAsSoonAsAllBytesAreThere();
    void readReturnsShortAfterTimeout();
    void extraBytesStayWaiting();
    void clearKeepsBytesStillOnTheirWay();
    void clearDropsArrivedBytes();
    void bytesArrivedComesForBytesArrivingWhileIdle();
    void recordsLineEventsInOrder();
    void dtrDropPowersModuleDown();
    void openFailures_data();
    void openFailures();
    void injectedFailureHitsOneCall();
    void lossClosesAndReportsOnce();
    void comPortConnectSequenceReadsStartupReport();
    void comPortReadsAnswerAndLeavesRestForEvent();
};

void TestEmulatorDevice::readReturnsAsSoonAsAllBytesAreThere()
{
    EmulatorDevice device;
    openAndBoot(device);
    QVERIFY(device.write(hex("B00001"), 1000) == 3);
    QElapsedTimer timer;
    timer.start();
    const auto answer = device.read(2, 1000);
    QVERIFY(answer.has_value());
    QCOMPARE(answer->toHex(), QByteArray("0003"));
    QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
}

void TestEmulatorDevice::readReturnsShortAfterTimeout()
{
    EmulatorDevice device;
    openAndBoot(device);
    device.write(hex("B00001"), 1000);
    QElapsedTimer timer;
    timer.start();
    const auto answer = device.read(3, 300);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(answer.has_value());
    QCOMPARE(answer->toHex(), QByteArray("0003"));
    QVERIFY2(elapsed >= 299 && elapsed < 600, qPrintable(QString::number(elapsed)));

    timer.restart();
    const auto nothing = device.read(2, 100);
    QVERIFY(nothing.has_value());
    QVERIFY(nothing->isEmpty());
    QVERIFY(timer.elapsed() >= 99);
}

void TestEmulatorDevice::extraBytesStayWaiting()
{
    EmulatorDevice device;
    openAndBoot(device);
    device.write(hex("B00005"), 1000);
    QCOMPARE(device.read(2, 1000)->toHex(), QByteArray("0040"));
    QTRY_COMPARE(device.bytesAvailable(), qint64(3));
    QCOMPARE(device.read(5, 1000)->toHex(), QByteArray("e20100"));
}

void TestEmulatorDevice::clearKeepsBytesStillOnTheirWay()
{
    EmulatorDevice device;
    openAndBoot(device);
    device.write(hex("B00001"), 1000);
    QVERIFY(device.clear(true, true));
    QCOMPARE(device.read(2, 1000)->toHex(), QByteArray("0003"));
}

void TestEmulatorDevice::clearDropsArrivedBytes()
{
    EmulatorDevice device;
    openAndBoot(device);
    device.write(hex("B00001"), 1000);
    QTRY_COMPARE(device.bytesAvailable(), qint64(2));
    QVERIFY(device.clear(true, false));
    QCOMPARE(device.bytesAvailable(), qint64(0));
    QVERIFY(device.read(2, 100)->isEmpty());
}

void TestEmulatorDevice::bytesArrivedComesForBytesArrivingWhileIdle()
{
    EmulatorDevice device;
    QSignalSpy arrived(&device, &SerialDevice::bytesArrived);
    device.setBaudRate(19200);
    device.open(QStringLiteral("COM1"));
    QVERIFY(arrived.wait(1000));
    // Announced with the first byte; the rest follow at the line's pace.
    QVERIFY(device.bytesAvailable() >= 1);
    QTRY_COMPARE(device.bytesAvailable(), qint64(3));

    // A read inside the program's own handler takes the bytes; no second announcement follows
    // for bytes already read.
    device.read(3, 100);
    arrived.clear();
    device.emulator().emitReport(hex("2201"), device.nowMs() + 20);
    QVERIFY(arrived.wait(1000));
    QCOMPARE(device.read(2, 0)->toHex(), QByteArray("2201"));
}

void TestEmulatorDevice::recordsLineEventsInOrder()
{
    EmulatorDevice device;
    device.setRts(false);
    device.setBaudRate(9600);
    device.open(QStringLiteral("COM3"));
    device.setDtr(true);
    device.write(hex("B00901"), 1000);
    device.clear(true, true);
    device.setRts(true);
    device.close();
    const QStringList expected{"rts 0",          "baud 9600",    "open COM3", "dtr 1",
                               "write B0 09 01", "clear in out", "rts 1",     "close"};
    QCOMPARE(device.lineEventTexts(), expected);
    QCOMPARE(device.frames(), QList<QByteArray>{hex("B00901")});
    device.clearRecords();
    QVERIFY(device.lineEvents().isEmpty());
}

void TestEmulatorDevice::dtrDropPowersModuleDown()
{
    EmulatorDevice device;
    openAndBoot(device);
    device.setDtr(false);
    QVERIFY(!device.emulator().isPowered());
    device.write(hex("B00001"), 1000);
    QVERIFY(device.read(2, 100)->isEmpty());
    device.setDtr(true);
    QCOMPARE(device.read(3, 1000)->toHex(), QByteArray("003000"));
}

void TestEmulatorDevice::openFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("errorCode");

    QTest::newRow("missing port") << "COM7" << 2;
    QTest::newRow("port in use") << "COM4" << 16;
}

void TestEmulatorDevice::openFailures()
{
    QFETCH(QString, name);
    QFETCH(int, errorCode);

    EmulatorDevice device;
    device.setMissingPorts({QStringLiteral("COM7")});
    device.setBusyPorts({QStringLiteral("COM4")});
    QVERIFY(!device.open(name));
    QVERIFY(!device.isOpen());
    QCOMPARE(device.errorCode(), errorCode);
    QVERIFY(!device.emulator().isPowered());
}

void TestEmulatorDevice::injectedFailureHitsOneCall()
{
    EmulatorDevice device;
    openAndBoot(device);
    device.failNext(PortOperation::Write, 5);
    QCOMPARE(device.write(hex("B00001"), 1000), qint64(-1));
    QCOMPARE(device.errorCode(), 5);
    QCOMPARE(device.write(hex("B00001"), 1000), qint64(3));
    QCOMPARE(device.frames().size(), 1);
}

void TestEmulatorDevice::lossClosesAndReportsOnce()
{
    EmulatorDevice device;
    openAndBoot(device);
    QSignalSpy lost(&device, &SerialDevice::deviceLost);
    device.simulateLoss(PortOperation::Read, 5);
    device.simulateLoss(PortOperation::Read, 5);
    QCOMPARE(lost.size(), 1);
    QCOMPARE(lost[0][1].toInt(), 5);
    QVERIFY(!device.isOpen());
    QVERIFY(!device.emulator().isPowered());
}

void TestEmulatorDevice::comPortConnectSequenceReadsStartupReport()
{
    EmulatorDevice *device = nullptr;
    ComPort::setDeviceFactoryForTest([&device] {
        auto made = std::make_unique<EmulatorDevice>();
        device = made.get();
        return made;
    });
    ComPort port;
    ComPort::setDeviceFactoryForTest({});
    QVERIFY(device);

    // The program's connect sequence: the answer to B0 00 00 is lost with the close, and the
    // start-up report after the reopen is what the read sees.
    port.setRts(false);
    port.open();
    QThread::msleep(200);
    port.write(hex("B00000"));
    QThread::msleep(100);
    port.close();
    QThread::msleep(100);
    port.open();
    port.clearBuffers(true, true);
    QCOMPARE(port.read(3).toHex(), QByteArray("003000"));

    const QStringList events = device->lineEventTexts();
    QCOMPARE(events.first(), QStringLiteral("open COM1"));
    QVERIFY(events.indexOf(QStringLiteral("rts 0")) >= 0);
    QVERIFY(events.indexOf(QStringLiteral("rts 0")) <
            events.indexOf(QStringLiteral("write B0 00 00")));
    QCOMPARE(events.count(QStringLiteral("close")), 1);
    QCOMPARE(device->emulator().log().count(), 4); // report, frame, answer, report
}

void TestEmulatorDevice::comPortReadsAnswerAndLeavesRestForEvent()
{
    ComPort::setDeviceFactoryForTest([] {
        EmulatorConfig config;
        config.type = 'B';
        return std::make_unique<EmulatorDevice>(config);
    });
    ComPort port;
    ComPort::setDeviceFactoryForTest({});
    QSignalSpy received(&port, &ComPort::bytesReceived);
    port.setReadTimeout(500);
    port.open();
    QCOMPARE(port.read(3).toHex(), QByteArray("003200"));
    port.write(hex("B00005"));
    port.clearBuffers(true, true);
    QCOMPARE(port.read(2).toHex(), QByteArray("0040"));
    QVERIFY(received.wait(1000));
    QVERIFY(received.last().at(0).toInt() >= 1);
    QTRY_COMPARE(port.inputCount(), 3);

    auto *device = static_cast<EmulatorDevice *>(port.device());
    device->setMissingPorts({QStringLiteral("COM9")});
    port.close();
    port.setPortName(QStringLiteral("COM9"));
    try {
        port.open();
        QFAIL("opening a missing port succeeded");
    } catch (const PortError &error) {
        QCOMPARE(
            error.text(),
            QStringLiteral("Unable to open com port (win error code: 2)\r\nNo such file or "
                           "directory: check the port name; the list shows the ports present"));
    }
}

QTEST_GUILESS_MAIN(TestEmulatorDevice)
#include "tst_emulatordevice.moc"
