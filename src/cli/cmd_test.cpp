#include "commands.h"
#include "failure.h"
#include "interrupt.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "module/tables.h"
#include "moduletest/measurements.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <optional>

using ModuleTestFormat::Measurement;
using ModuleTestFormat::RecalibrationStatus;

namespace
{

// The module sends its final report when the recalibration has ended; the command waits for it
// this long.
constexpr int kRecalibrationWaitMs = 10000;

struct TestName {
    const char *name;
    std::optional<Measurement> measurement; // nothing: the recalibration
};
constexpr TestName kTests[] = {
    {"temperature", Measurement::Temperature},
    {"voltage", Measurement::Voltage},
    {"rssi", Measurement::CurrentRssi},
    {"recalibrate", std::nullopt},
};

int runMeasurement(Cli::Session &session, const QString &name, Measurement measurement, bool json)
{
    const IdentityRecord &identity = session.identity();
    // Only a C module with command set 3 or higher measures its supply voltage; the window hides
    // the voltage group for every other module.
    if (measurement == Measurement::Voltage &&
        !isExtendedCModule(identity.typeLetter, identity.commandSet.toInt()))
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("voltage: the module (type %1, command set %2) does not measure "
                                 "its supply voltage; C modules with command set 3 or higher do")
                      .arg(identity.typeLetter, identity.commandSet));
    const ModuleTest::MeasureResult result =
        ModuleTest::measure(session.link(), session.typeLetter(), measurement);
    if (result.failed)
        Cli::fail(
            Cli::ModuleFailed,
            QStringLiteral("%1: the module on %2 does not answer the measurement (5 attempts)")
                .arg(name, session.options().port));
    if (!result.value)
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("%1: the module's answer carries no value").arg(name));
    // Machine output keeps the decimal point whatever the locale.
    const QLocale c = QLocale::c();
    const QString text = ModuleTestFormat::measurementText(measurement, *result.value, c);
    if (json) {
        QJsonObject record =
            Cli::moduleRecord(QStringLiteral("test"), session.options().port, identity);
        record.insert(QStringLiteral("test"), name);
        record.insert(QStringLiteral("value"),
                      ModuleTestFormat::measurementValue(measurement, *result.value));
        record.insert(QStringLiteral("unit"), ModuleTestFormat::measurementUnit(measurement));
        record.insert(QStringLiteral("text"), text);
        Cli::writeJson(record);
    } else {
        Cli::writeLine(text);
    }
    return Cli::Success;
}

// Waits in the event loop, where the port's events reach the dispatcher, until the module's final
// report has come, the wait is over or an interrupt asks to stop (its event wakes the loop).
RecalibrationStatus awaitRecalibrationResult(Cli::Session &session)
{
    const auto status = [&session] {
        return ModuleTestFormat::recalibrationStatus(session.recalibrationText());
    };
    const auto finished = [&status] {
        const RecalibrationStatus s = status();
        return s == RecalibrationStatus::Successful || s == RecalibrationStatus::NotSuccessful;
    };
    const QDeadlineTimer deadline(kRecalibrationWaitMs);
    QTimer wake;
    wake.setSingleShot(true);
    // A port that is lost meanwhile ends the wait at once: no report can come any more.
    const auto portUp = [&session] {
        return session.port().isOpen() && session.lossText().isEmpty();
    };
    while (!finished() && !deadline.hasExpired() && !Cli::Interrupt::isRequested() && portUp()) {
        if (!wake.isActive())
            wake.start(int(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return status();
}

int runRecalibration(Cli::Session &session, bool json)
{
    if (!ModuleTest::startRecalibration(session.link(), session.typeLetter()))
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("recalibrate: the module on %1 does not answer the command (5 "
                                 "attempts)")
                      .arg(session.options().port));
    Cli::progress(QStringLiteral("recalibration started, waiting for the module's result"));
    const RecalibrationStatus status = awaitRecalibrationResult(session);
    if (!session.port().isOpen() || !session.lossText().isEmpty())
        Cli::fail(Cli::PortFailed,
                  session.lossText().isEmpty()
                      ? QStringLiteral("recalibrate: the port was lost before the module reported "
                                       "its result")
                      : session.lossText());
    if (Cli::Interrupt::isRequested())
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("recalibrate: interrupted before the module reported its result"));
    if (status != RecalibrationStatus::Successful && status != RecalibrationStatus::NotSuccessful)
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("recalibrate: the module reported no result within %1 s")
                      .arg(kRecalibrationWaitMs / 1000));
    const bool successful = status == RecalibrationStatus::Successful;
    const QString text =
        successful ? QStringLiteral("successful") : QStringLiteral("not successful");
    if (json) {
        QJsonObject record =
            Cli::moduleRecord(QStringLiteral("test"), session.options().port, session.identity());
        record.insert(QStringLiteral("test"), QStringLiteral("recalibrate"));
        record.insert(QStringLiteral("value"), successful ? 1 : 2);
        // The value is the module's result code, which has no unit.
        record.insert(QStringLiteral("unit"), QString());
        record.insert(QStringLiteral("text"), text);
        Cli::writeJson(record);
    } else {
        Cli::writeLine(text);
    }
    if (!successful)
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("recalibrate: the module reports the recalibration as not "
                                 "successful"));
    return Cli::Success;
}

int runTest(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("test"),
        QStringLiteral("test temperature|voltage|rssi|recalibrate -p PORT [-b BAUD] [--json]"),
        QStringLiteral("Runs one module test and prints its value with the unit as the window "
                       "shows it: the temperature (23°C), the supply voltage (3.3V; C modules "
                       "with command set 3 or higher only) or the current received signal "
                       "strength (-87dBm). recalibrate starts a recalibration and waits up to "
                       "10 s for the module's result: successful, or not successful (status 1)."));
    parser.addJsonOption();
    parser.addPositional(QStringLiteral("test"),
                         QStringLiteral("temperature, voltage, rssi or recalibrate"));
    parser.process(arguments);
    const QStringList names = parser.parser().positionalArguments();
    if (names.isEmpty())
        parser.usage(QStringLiteral("name one test: temperature, voltage, rssi or recalibrate"));
    const QString name = names.first();
    const auto test =
        std::find_if(std::begin(kTests), std::end(kTests),
                     [&name](const TestName &t) { return name == QLatin1String(t.name); });
    if (test == std::end(kTests))
        parser.usage(QStringLiteral("unknown test \"%1\": temperature, voltage, rssi or "
                                    "recalibrate")
                         .arg(name));
    const Cli::CommonOptions options = parser.common();

    Cli::Session session(options);
    session.connect();
    // A module of unknown type gets no dispatcher: its answers would not be read.
    session.requireConfigurable();
    // An interrupt during the read-out ends the command before the test begins.
    if (Cli::Interrupt::isRequested())
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("%1: interrupted before the test began").arg(name));
    if (!test->measurement)
        return runRecalibration(session, options.json);
    return runMeasurement(session, name, *test->measurement, options.json);
}

const Cli::Registration registration(Cli::Command{
    QStringLiteral("test"),
    QStringLiteral("one module test: temperature, voltage, rssi or recalibrate"), runTest});

} // namespace
