// The Windows adapter against the system itself (built on Windows only): the hints for the
// numbers it knows, the system's own text for the others, and the waits of the 1 ms timers, which
// must never end before their moment.
#include "link/platform.h"
#include "link/precisesleep.h"

#include <QTest>

#include <chrono>

namespace
{

qint64 steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

class TestWinSystem : public QObject
{
    Q_OBJECT
private slots:
    void hintsAndSystemTexts();
    void errorNumbersOfQSerialPortFailures();
    void waitsNeverEndEarly();
};

void TestWinSystem::hintsAndSystemTexts()
{
    QCOMPARE(SerialPlatform::errorHint(5),
             QStringLiteral("Access denied: the port is open in another program; close it and "
                            "connect again"));
    // ERROR_NO_SYSTEM_RESOURCES has no fixed hint: the system's text, on one line.
    const QString said = SerialPlatform::errorHint(1450);
    QVERIFY2(!said.isEmpty(), "the system has a text for error 1450");
    QVERIFY2(!said.contains(QLatin1Char('\n')) && !said.endsWith(QLatin1Char('.')),
             qPrintable(said));
    QCOMPARE(SerialPlatform::errorHint(0x3FFFFFFF), QString());
    QCOMPARE(SerialPlatform::errorHint(0), QString());
}

void TestWinSystem::errorNumbersOfQSerialPortFailures()
{
    QCOMPARE(SerialPlatform::notOpenError(), 6);
    QCOMPARE(SerialPlatform::serialErrorNumber(QSerialPort::PermissionError, 0), 5);
    QCOMPARE(SerialPlatform::serialErrorNumber(QSerialPort::DeviceNotFoundError, 2), 2);
}

void TestWinSystem::waitsNeverEndEarly()
{
    for (qint64 stepNs : {1'000'000LL, 300'000LL, 2'500'000LL}) {
        for (int round = 0; round < 20; ++round) {
            const qint64 target = steadyNowNs() + stepNs;
            PreciseSleep::until(target);
            QVERIFY(steadyNowNs() >= target);
        }
    }
    // A moment already passed returns at once.
    PreciseSleep::until(steadyNowNs() - 5'000'000);
}

QTEST_APPLESS_MAIN(TestWinSystem)
#include "tst_winsystem_win.moc"
