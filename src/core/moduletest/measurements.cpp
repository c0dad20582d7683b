#include "moduletest/measurements.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "link/retryexchange.h"
#include "module/identification.h"

namespace ModuleTestFormat
{

QString temperatureText(quint8 v)
{
    return QString::number(int(qint8(v))) + QStringLiteral("°C");
}

QString rssiText(quint8 v)
{
    return QString::number(int(qint8(v))) + QStringLiteral("dBm");
}

QString voltageText(quint8 v, const QLocale &locale)
{
    return locale.toString(v / 10.0, 'g', QLocale::FloatingPointShortest) + QLatin1Char('V');
}

quint8 measurementParameter(Measurement measurement)
{
    switch (measurement) {
    case Measurement::CurrentRssi:
        return Frame::MeasureRssi;
    case Measurement::MaximumRssi:
        return Frame::MeasureRssiMax;
    case Measurement::Temperature:
        return Frame::MeasureTemperature;
    case Measurement::Voltage:
        break;
    }
    return Frame::MeasureVoltage;
}

double measurementValue(Measurement measurement, quint8 v)
{
    if (measurement == Measurement::Voltage)
        return v / 10.0;
    return qint8(v);
}

QString measurementUnit(Measurement measurement)
{
    switch (measurement) {
    case Measurement::Temperature:
        return QStringLiteral("°C");
    case Measurement::Voltage:
        return QStringLiteral("V");
    case Measurement::CurrentRssi:
    case Measurement::MaximumRssi:
        break;
    }
    return QStringLiteral("dBm");
}

QString measurementText(Measurement measurement, quint8 v, const QLocale &locale)
{
    switch (measurement) {
    case Measurement::Temperature:
        return temperatureText(v);
    case Measurement::Voltage:
        return voltageText(v, locale);
    case Measurement::CurrentRssi:
    case Measurement::MaximumRssi:
        break;
    }
    return rssiText(v);
}

std::optional<quint8> sleepMode(int afterWakeup, int wakeupPin, int otherPins)
{
    if (afterWakeup < 0 || wakeupPin < 0 || otherPins < 0)
        return std::nullopt;
    return quint8(afterWakeup | 16 * wakeupPin | 32 * otherPins);
}

bool isBOrCalibration(const QString &letter)
{
    return firmwareType(letter) != FirmwareType::C;
}

QByteArray sleepFrame(const QString &letter, quint8 mode)
{
    // A C module has no wake-up pin choice: bit 4 stays clear.
    if (isBOrCalibration(letter))
        return Frame::make(Frame::SleepB, mode);
    return Frame::make(Frame::SleepC, mode & 0xEF);
}

QByteArray recalibrationFrame(const QString &letter)
{
    return Frame::make(isBOrCalibration(letter) ? Frame::RecalibrateB : Frame::RecalibrateC, 0x00);
}

RecalibrationStatus recalibrationStatus(const QString &shown)
{
    if (shown == QLatin1String("gestartet"))
        return RecalibrationStatus::Started;
    if (shown == QLatin1String("erfolgreich"))
        return RecalibrationStatus::Successful;
    if (shown == QLatin1String("nicht erfolgreich"))
        return RecalibrationStatus::NotSuccessful;
    return RecalibrationStatus::None;
}

} // namespace ModuleTestFormat

using namespace ModuleTestFormat;

namespace ModuleTest
{

MeasureResult measure(ModuleLink &link, const QString &letter, Measurement measurement)
{
    const bool cModule = !isBOrCalibration(letter);
    ComPort &port = link.port();
    const bool ok = retryExchange(link, [&] {
        // A C module takes commands only while RTS is off.
        if (cModule)
            port.setRts(false);
        link.transaction(Frame::Measure, measurementParameter(measurement));
        if (cModule)
            port.setRts(true);
    });
    if (!ok)
        return {true, std::nullopt};
    return {false, link.answerByte(1)};
}

bool startRecalibration(ModuleLink &link, const QString &letter)
{
    return retryExchange(link, [&] {
        if (!isBOrCalibration(letter))
            link.port().setRts(false);
        link.transaction(recalibrationFrame(letter));
    });
}

bool sendToSleep(ModuleLink &link, const QString &letter, quint8 mode)
{
    return retryExchange(link, [&] {
        if (!isBOrCalibration(letter))
            link.port().setRts(false);
        link.transaction(sleepFrame(letter, mode));
    });
}

void wakeUpPulse(ComPort &port, const QString &letter, const std::function<void(int)> &sleepMs)
{
    if (isBOrCalibration(letter)) {
        port.setRts(false);
        sleepMs(10);
        port.setRts(true);
        return;
    }
    // The rising edge wakes a C module; the pulse is kept short, the module needs no more.
    port.setRts(true);
    sleepMs(1);
    port.setRts(false);
}

} // namespace ModuleTest
