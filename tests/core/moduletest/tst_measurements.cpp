#include "moduletest/measurements.h"

#include <QtTest>

using namespace ModuleTestFormat;

class TestMeasurements : public QObject
{
    Q_OBJECT
private slots:
    void measuredByte_data();
    void measuredByte();
    void sleepAndRecalibrationFrames_data();
    void sleepAndRecalibrationFrames();
};

void TestMeasurements::measuredByte_data()
{
    QTest::addColumn<Measurement>("measurement");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("parameter");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("text");
    QTest::newRow("temperature below zero")
        << Measurement::Temperature << 0xFB << 0x02 << -5.0 << "°C"
        << "-5°C";
    QTest::newRow("temperature") << Measurement::Temperature << 0x17 << 0x02 << 23.0 << "°C"
                                 << "23°C";
    QTest::newRow("current RSSI") << Measurement::CurrentRssi << 0xA9 << 0x00 << -87.0 << "dBm"
                                  << "-87dBm";
    QTest::newRow("maximum RSSI at its lowest")
        << Measurement::MaximumRssi << 0x80 << 0x01 << -128.0 << "dBm"
        << "-128dBm";
    QTest::newRow("maximum RSSI at its highest")
        << Measurement::MaximumRssi << 0x7F << 0x01 << 127.0 << "dBm"
        << "127dBm";
    QTest::newRow("supply 3.3 V") << Measurement::Voltage << 33 << 0x03 << 3.3 << "V"
                                  << "3.3V";
    QTest::newRow("supply in whole volts") << Measurement::Voltage << 30 << 0x03 << 3.0 << "V"
                                           << "3V";
    QTest::newRow("supply 0 V") << Measurement::Voltage << 0 << 0x03 << 0.0 << "V"
                                << "0V";
    QTest::newRow("supply byte unsigned") << Measurement::Voltage << 255 << 0x03 << 25.5 << "V"
                                          << "25.5V";
}

void TestMeasurements::measuredByte()
{
    QFETCH(Measurement, measurement);
    QFETCH(int, byte);
    QFETCH(int, parameter);
    QFETCH(double, value);
    QFETCH(QString, unit);
    QFETCH(QString, text);
    const QLocale c = QLocale::c();
    QCOMPARE(int(measurementParameter(measurement)), parameter);
    QCOMPARE(measurementValue(measurement, quint8(byte)), value);
    QCOMPARE(measurementUnit(measurement), unit);
    QCOMPARE(measurementText(measurement, quint8(byte), c), text);
    // The shown text uses the locale's decimal separator.
    QCOMPARE(measurementText(measurement, quint8(byte), QLocale(QLocale::German)),
             QString(text).replace(QLatin1Char('.'), QLatin1Char(',')));
}

void TestMeasurements::sleepAndRecalibrationFrames_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QByteArray>("sleep");
    QTest::addColumn<QByteArray>("recalibration");
    // Choices: after wake-up, wake-up pin, other pins (item positions; -1 = none chosen).
    QTest::newRow("B: continue, pin 9, pins normal")
        << "B" << QList<int>{1, 1, 1} << QByteArray::fromHex("B02131")
        << QByteArray::fromHex("B02200");
    QTest::newRow("C: the wake-up pin bit is cleared")
        << "C" << QList<int>{1, 1, 1} << QByteArray::fromHex("B02021")
        << QByteArray::fromHex("B02100");
    QTest::newRow("calibration software as B")
        << "x" << QList<int>{0, 0, 0} << QByteArray::fromHex("B02100")
        << QByteArray::fromHex("B02200");
    QTest::newRow("a box without a choice sends nothing")
        << "B" << QList<int>{1, -1, 1} << QByteArray() << QByteArray::fromHex("B02200");
}

void TestMeasurements::sleepAndRecalibrationFrames()
{
    QFETCH(QString, letter);
    QFETCH(QList<int>, choices);
    QFETCH(QByteArray, sleep);
    QFETCH(QByteArray, recalibration);
    const auto mode = sleepMode(choices[0], choices[1], choices[2]);
    QCOMPARE(mode.has_value(), !sleep.isEmpty());
    if (mode)
        QCOMPARE(sleepFrame(letter, *mode).toHex(), sleep.toHex());
    QCOMPARE(recalibrationFrame(letter).toHex(), recalibration.toHex());
}

QTEST_MAIN(TestMeasurements)
#include "tst_measurements.moc"
