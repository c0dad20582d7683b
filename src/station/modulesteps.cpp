// The steps that talk to the module alone: identification, the configuration write with its
// read-back after a power cycle, and the module tests.

#include "station/portsession.h"
#include "station/steps.h"

#include "link/linewait.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/storedfilecheck.h"
#include "module/tables.h"
#include "module/verify.h"
#include "module/writeexecution.h"
#include "moduletest/measurements.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>

using Measured = ModuleTestFormat::Measurement;
using ModuleTestFormat::RecalibrationStatus;

namespace Station
{

namespace
{

constexpr int kRecalibrationWaitMs = 10000;
const QString kSleepsAfterPowerUp = QStringLiteral("??? (Sleep nach Powerup eingestellt!)");

void sleepMs(int ms)
{
    LineWait::sleepMs(ms);
}

// The PC follows the module's new serial rate, as the window's baud selector does.
class FollowBaud : public WriteObserver
{
public:
    explicit FollowBaud(ComPort &port) : m_port(port) {}
    void switchPcBaud(int item) override
    {
        if (const auto baud = pcBaudRate(item))
            m_port.setBaudRate(*baud);
    }

private:
    ComPort &m_port;
};

} // namespace

void settleStep(StepRecord &step)
{
    for (const Measurement &m : step.measurements) {
        if (m.result == Result::Failed) {
            step.result = Result::Failed;
            if (step.reason.isEmpty())
                step.reason = failureText(m);
        }
    }
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs, const RunContext &run)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.setSingleShot(true);
    while (!done() && !deadline.hasExpired() && !run.stopRequested()) {
        if (!wake.isActive())
            wake.start(int(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return done();
}

StepRecord identifyStep(StepContext &context, const IdentifyStep &settings)
{
    StepRecord step;
    step.name = QStringLiteral("identify");
    PortSession &session = context.session;
    UnitRecord &unit = context.unit;
    if (!session.powerUp())
        return failStep(step, QStringLiteral("no start-up report from the module: check the "
                                             "module, its supply and the baud rate"));
    const QString calibration = session.calibrationText();
    if (calibration == kSleepsAfterPowerUp)
        return failStep(step, QStringLiteral("the module's start-up report says it sleeps after "
                                             "power-up: it cannot be identified"));
    if (!session.readOut())
        return failStep(step, QStringLiteral("the module stopped answering during the "
                                             "identification (5 attempts)"));
    const IdentityRecord &id = session.identity();
    unit.type = id.typeLetter;
    unit.designation = id.designation;
    unit.softwareVersion = id.swVersion;
    unit.hardware = id.hardware;
    unit.band = id.band;
    bool ok = false;
    const qulonglong serial = id.serial.toULongLong(&ok);
    if (ok && serial <= 0xFFFFFFFFull)
        unit.serialNumber = quint32(serial);

    step.measurements << checkText(QStringLiteral("type"), id.typeLetter,
                                   settings.type.value_or(QString()));
    step.measurements << checkText(QStringLiteral("band"), id.band,
                                   settings.band ? QString::number(*settings.band) : QString());
    step.measurements << checkText(QStringLiteral("designation"), id.designation,
                                   settings.designation.value_or(QString()));
    Measurement firmware = checkText(QStringLiteral("firmware"), id.swVersion, {});
    if (settings.firmwareMin) {
        const QStringList parts = [&] {
            QStringList texts;
            for (const int n : *settings.firmwareMin)
                texts << QString::number(n);
            return texts;
        }();
        firmware.expected = parts.join(QLatin1Char('/'));
        const auto version = parseVersion(id.swVersion);
        firmware.result = version && versionAtLeast(*version, *settings.firmwareMin)
                              ? Result::Passed
                              : Result::Failed;
    }
    step.measurements << firmware;
    step.measurements << checkText(QStringLiteral("calibration"), calibration,
                                   settings.calibration.value_or(QString()));
    settleStep(step);
    if (step.result == Result::Failed && firmware.result == Result::Failed &&
        step.reason == failureText(firmware))
        step.reason = QStringLiteral("firmware %1, at least %2 expected")
                          .arg(id.swVersion, firmware.expected);
    if (step.result == Result::Passed && !isKnownSoftwareType(id.typeLetter))
        failStep(step, QStringLiteral("unknown software type \"%1\" (module not supported)")
                           .arg(id.typeLetter));
    return step;
}

StepRecord writeStep(StepContext &context, const WriteStep &settings)
{
    StepRecord step;
    step.name = QStringLiteral("write");
    PortSession &session = context.session;
    const QString letter = session.typeLetter();
    context.unit.configurationSha256 = settings.sha256;
    if (firmwareType(letter) == FirmwareType::Calibration)
        return failStep(step, QStringLiteral("the calibration software keeps its configuration "
                                             "in RAM only: no EEPROM to write"));
    const IdentityRecord &id = session.identity();
    const bool cPage = firmwareType(letter) == FirmwareType::C;
    const StoredConfigUse use = useStoredConfig(settings.bytes, true, letter, !cPage, cPage,
                                                bItemCounts(id), cItemCounts(id));
    if (!use.usable())
        return failStep(
            step, QStringLiteral("%1: %2").arg(settings.path, use.refusal.english.simplified()));
    WritePlan plan;
    if (use.b) {
        BPageValues page = *use.b;
        page.eeprom = true;
        plan = planBWrite(page, QLocale::c());
    } else {
        CPageValues page = *use.c;
        page.eeprom = true;
        plan = planCWrite(page);
    }
    if (plan.refused())
        return failStep(step, QStringLiteral("%1: %2").arg(
                                  settings.path, plan.unselectedMessage().english.simplified()));
    if (!plan.refusals.isEmpty())
        return failStep(
            step, QStringLiteral("%1: %2").arg(settings.path,
                                               plan.refusals.first().message.english.simplified()));

    FollowBaud observer(session.port());
    if (!executeWritePlan(session.link(), plan, observer, sleepMs))
        return failStep(step, QStringLiteral("the module stopped answering during the write (5 "
                                             "attempts); its EEPROM may be part old, part new"));
    const int written = int(plannedRegisters(plan).size());
    Measurement count =
        checkNumber(QStringLiteral("registersWritten"), written, QString(), std::nullopt);
    step.measurements << count;

    // What a line needs to know: the EEPROM holds the configuration after the module restarts.
    if (!session.powerUp())
        return failStep(step, QStringLiteral("no start-up report after the power cycle that "
                                             "follows the write"));
    if (!session.readOut())
        return failStep(step, QStringLiteral("the module stopped answering after the power "
                                             "cycle that follows the write"));
    const QList<RegisterMismatch> mismatches =
        verifyWrite(session.link(), plan, session.typeLetter(), sleepMs);
    step.measurements << checkNumber(QStringLiteral("registersDiffering"), mismatches.size(),
                                     QString(), Range{0.0, 0.0});
    settleStep(step);
    if (!mismatches.isEmpty()) {
        const RegisterMismatch &m = mismatches.first();
        step.reason =
            QStringLiteral("verify after the power cycle: %1 of %2 registers differ "
                           "(register 0x%3: written 0x%4, read %5)")
                .arg(mismatches.size())
                .arg(written)
                .arg(m.reg, 2, 16, QLatin1Char('0'))
                .arg(m.expected, 2, 16, QLatin1Char('0'))
                .arg(m.actual ? QStringLiteral("0x%1").arg(*m.actual, 2, 16, QLatin1Char('0'))
                              : QStringLiteral("nothing"));
    }
    return step;
}

StepRecord testStep(StepContext &context, const TestStep &settings)
{
    StepRecord step;
    step.name = QStringLiteral("test");
    PortSession &session = context.session;
    const IdentityRecord &id = session.identity();
    const QLocale c = QLocale::c();
    const struct {
        const char *name;
        Measured measurement;
        const std::optional<Range> &range;
    } tests[] = {
        {"temperature", Measured::Temperature, settings.temperature},
        {"voltage", Measured::Voltage, settings.voltage},
        {"rssi", Measured::CurrentRssi, settings.rssi},
    };
    for (const auto &test : tests) {
        if (!test.range)
            continue;
        const QString name = QString::fromLatin1(test.name);
        if (test.measurement == Measured::Voltage &&
            !isExtendedCModule(id.typeLetter, id.commandSet.toInt()))
            return failStep(step, QStringLiteral("voltage: the module (type %1, command set %2) "
                                                 "does not measure its supply voltage")
                                      .arg(id.typeLetter, id.commandSet));
        const ModuleTest::MeasureResult result =
            ModuleTest::measure(session.link(), session.typeLetter(), test.measurement);
        if (result.failed || !result.value)
            return failStep(step, QStringLiteral("%1: the module does not answer the measurement "
                                                 "(5 attempts)")
                                      .arg(name));
        Measurement m =
            checkNumber(name, ModuleTestFormat::measurementValue(test.measurement, *result.value),
                        ModuleTestFormat::measurementUnit(test.measurement), *test.range);
        m.text = ModuleTestFormat::measurementText(test.measurement, *result.value, c);
        step.measurements << m;
        if (context.run.stopRequested())
            return failStep(step, QStringLiteral("stopped by the operator"));
    }
    if (settings.recalibration) {
        session.clearRecalibration();
        if (!ModuleTest::startRecalibration(session.link(), session.typeLetter()))
            return failStep(step, QStringLiteral("recalibration: the module does not answer the "
                                                 "command (5 attempts)"));
        const auto status = [&session] {
            return ModuleTestFormat::recalibrationStatus(session.recalibrationText());
        };
        waitUntil(
            [&] {
                const RecalibrationStatus s = status();
                return s == RecalibrationStatus::Successful ||
                       s == RecalibrationStatus::NotSuccessful;
            },
            kRecalibrationWaitMs, context.run);
        if (context.run.stopRequested())
            return failStep(step, QStringLiteral("stopped by the operator before the module "
                                                 "reported its recalibration"));
        const RecalibrationStatus s = status();
        if (s != RecalibrationStatus::Successful && s != RecalibrationStatus::NotSuccessful)
            return failStep(step, QStringLiteral("recalibration: the module reported no result "
                                                 "within %1 s")
                                      .arg(kRecalibrationWaitMs / 1000));
        step.measurements << checkText(QStringLiteral("recalibration"),
                                       s == RecalibrationStatus::Successful
                                           ? QStringLiteral("successful")
                                           : QStringLiteral("not successful"),
                                       QStringLiteral("successful"));
    }
    settleStep(step);
    return step;
}

} // namespace Station
