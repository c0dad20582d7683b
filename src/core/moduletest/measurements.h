#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

class ComPort;
class ModuleLink;

// The texts and frames of the module tests.
namespace ModuleTestFormat
{

// The four values a module measures on request (the parameter of its measurement query).
enum class Measurement { CurrentRssi, MaximumRssi, Temperature, Voltage };

// Measured bytes as shown: signed degrees ("-5°C"), signed dBm ("-87dBm"), tenths of a volt in
// the shortest decimal form ("3.3V", "3V").
QString temperatureText(quint8 v);
QString rssiText(quint8 v);
QString voltageText(quint8 v, const QLocale &locale = QLocale());

quint8 measurementParameter(Measurement measurement);
// The measured byte as a number in its unit: signed for temperature and signal strength, tenths
// of a volt for the supply voltage.
double measurementValue(Measurement measurement, quint8 v);
QString measurementUnit(Measurement measurement); // "°C", "V", "dBm"
QString measurementText(Measurement measurement, quint8 v, const QLocale &locale = QLocale());

// Sleep mode byte from the item positions of the three choice boxes; nothing while one of them
// has no selection.
std::optional<quint8> sleepMode(int afterWakeup, int wakeupPin, int otherPins);

// B modules and the calibration software ("B", "x") are sent their frames without touching RTS;
// so is a module of unknown type, which is no C module.
bool isBOrCalibration(const QString &letter);
QByteArray sleepFrame(const QString &letter, quint8 mode);
QByteArray recalibrationFrame(const QString &letter);

// The recalibration status the dispatcher shows from the module's reports: "gestartet",
// "erfolgreich" or "nicht erfolgreich" (German in both languages).
enum class RecalibrationStatus { None, Started, Successful, NotSuccessful };
RecalibrationStatus recalibrationStatus(const QString &shown);

} // namespace ModuleTestFormat

// The module tests over the transaction, each with the retry pattern of five attempts. letter is
// the module's software type letter. A false or failed result means the retries were used up:
// the front end drops the connection.
namespace ModuleTest
{

struct MeasureResult {
    bool failed = false;         // the retries were used up
    std::optional<quint8> value; // the measured byte, when the answer carried one
};
MeasureResult measure(ModuleLink &link, const QString &letter,
                      ModuleTestFormat::Measurement measurement);

// Starts a recalibration. The dispatcher shows "gestartet" from the answer and the result from
// the module's later report; a C module stays with RTS off until that report.
bool startRecalibration(ModuleLink &link, const QString &letter);

// Sends the module to sleep with the mode byte; a C module stays with RTS off.
bool sendToSleep(ModuleLink &link, const QString &letter, quint8 mode);

// The RTS pulse that wakes a module: off and on again for B and the calibration software (wake-up
// pin 12), on and off again for a C module. sleepMs waits between the edges.
void wakeUpPulse(ComPort &port, const QString &letter, const std::function<void(int)> &sleepMs);

} // namespace ModuleTest
