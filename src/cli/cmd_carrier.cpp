// korvel-cli carrier: the module transmits a carrier for a measurement until the time is up or
// the user stops it; then it is back in receive with its configuration as before.

#include "commands.h"
#include "failure.h"
#include "interrupt.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "headless/pagecarrier.h"
#include "link/linewait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <functional>

namespace
{

// The longest run --seconds asks for: the timer counts milliseconds in an int.
constexpr double kMaxSeconds = 1000000;

using Headless::rateOfItem;

// The carrier's front end of the command line: the events the window shows as messages end up
// on standard error or in the exit status.
class CliCarrier : public Headless::PageCarrier
{
public:
    CliCarrier(Cli::Session &session, CarrierPhases phases, QEventLoop &loop)
        : PageCarrier(session, phases, loop), m_port(session.options().port)
    {
    }

    void report(Report report) override
    {
        switch (report) {
        case Report::ConfigurationChanges:
            Cli::progress(
                isC() ? QStringLiteral("the module's data options go to handshake and fast-send "
                                       "in RAM until the end")
                      : QStringLiteral("the module's coding changes in RAM until the end"));
            break;
        case Report::PhaseTimesMissing:
            break;
        case Report::TransmitTimeTooShort:
            // Refused before the start; a module that changed its rate meanwhile ends here.
            PageCarrier::report(report);
            break;
        }
    }

protected:
    QString moduleLostText() const override
    {
        return QStringLiteral("the module on %1 did not answer the transmitter switch (5 "
                              "attempts) and is left alone")
            .arg(m_port);
    }
    QString writeFailedText(const QString &doing) const override
    {
        return QStringLiteral("the module on %1 stopped answering while %2 (5 attempts)")
            .arg(m_port, doing);
    }
    bool executeWrite(const WritePlan &plan) override
    {
        // A second Ctrl+C does not cut the write short; a third does.
        const Cli::Interrupt::Shield shield;
        return PageCarrier::executeWrite(plan);
    }

private:
    QString m_port;
};

int runCarrier(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("carrier"),
        QStringLiteral("carrier -p PORT [-b BAUD] --mode unmodulated|modulated [--seconds S] "
                       "[--tx-ms MS --rx-ms MS] [--json]"),
        QStringLiteral(
            "Makes the module transmit a carrier for a measurement: unmodulated (pattern FF) or "
            "modulated (pattern AA), continuously, or with --tx-ms and --rx-ms alternating "
            "between transmit and receive. The configuration the carrier needs goes to the "
            "module's RAM only. Runs until --seconds have passed, Ctrl+C or SIGTERM; then the "
            "module is switched back to receive and its previous configuration restored."));
    parser.parser().addOptions({
        {QStringLiteral("mode"), QStringLiteral("unmodulated or modulated."),
         QStringLiteral("MODE")},
        {QStringLiteral("seconds"),
         QStringLiteral("Stop after S seconds (default: run until Ctrl+C or SIGTERM)."),
         QStringLiteral("S")},
        {QStringLiteral("tx-ms"), QStringLiteral("Alternate: transmit MS milliseconds..."),
         QStringLiteral("MS")},
        {QStringLiteral("rx-ms"), QStringLiteral("...then receive MS milliseconds."),
         QStringLiteral("MS")},
    });
    parser.addJsonOption();
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common();

    const QString mode = parser.parser().value(QStringLiteral("mode"));
    if (mode.isEmpty())
        parser.usage(QStringLiteral("no mode given: use --mode unmodulated or --mode modulated"));
    if (mode != QLatin1String("unmodulated") && mode != QLatin1String("modulated"))
        parser.usage(QStringLiteral("--mode \"%1\": unmodulated or modulated").arg(mode));
    const bool modulated = mode == QLatin1String("modulated");
    const bool timed = parser.parser().isSet(QStringLiteral("seconds"));
    const double seconds =
        timed ? parser.doubleValue(QStringLiteral("seconds"), 0.001, kMaxSeconds) : 0;
    const bool alternate = parser.parser().isSet(QStringLiteral("tx-ms")) ||
                           parser.parser().isSet(QStringLiteral("rx-ms"));
    CarrierPhases phases;
    if (alternate) {
        if (!parser.parser().isSet(QStringLiteral("tx-ms")) ||
            !parser.parser().isSet(QStringLiteral("rx-ms")))
            parser.usage(QStringLiteral("--tx-ms and --rx-ms go together"));
        phases.transmitMs = parser.intValue(QStringLiteral("tx-ms"), kPhaseMinMs, kPhaseMaxMs);
        phases.receiveMs = parser.intValue(QStringLiteral("rx-ms"), kPhaseMinMs, kPhaseMaxMs);
    }

    Cli::Session session(options);
    session.connect();
    session.requireConfigurable();

    QEventLoop loop;
    CliCarrier host(session, phases, loop);
    if (host.isC()) {
        // A C module sends what the PC feeds it: the line must outrun the radio.
        const int moduleBaud = rateOfItem(host.rateLists().rs232BaudC, host.cPage()->rs232Baud);
        const int radio = host.radioBaud();
        switch (carrierRefusalC(QString::number(options.baud), QString::number(moduleBaud),
                                QString::number(radio),
                                alternate ? std::optional(phases.transmitMs) : std::nullopt)) {
        case CarrierRefusal::None:
            break;
        case CarrierRefusal::RatesDiffer:
            Cli::fail(Cli::ModuleFailed,
                      QStringLiteral("the module's RS232 rate is %1 baud, the PC's %2: they must "
                                     "be the same for the carrier")
                          .arg(moduleBaud)
                          .arg(options.baud));
        case CarrierRefusal::PcNotFasterThanRadio:
            Cli::fail(Cli::ModuleFailed,
                      QStringLiteral("the PC's rate (%1 baud) must be higher than the module's "
                                     "radio rate (%2 baud) for the carrier")
                          .arg(options.baud)
                          .arg(radio));
        case CarrierRefusal::TransmitTimeTooShort:
            Cli::fail(Cli::ModuleFailed,
                      QStringLiteral("--tx-ms %1 is too short for the radio rate of %2 baud")
                          .arg(phases.transmitMs)
                          .arg(radio));
        }
    }

    Headless::SessionCarrierOutput carrier(session, host);
    CarrierOutput &output = carrier.output();

    // Failures of the port inside an event handler end the run; they are thrown on afterwards.
    std::exception_ptr portError;
    QString portLost;
    const auto guarded = [&](const std::function<void()> &handler) {
        try {
            handler();
        } catch (const PortError &) {
            if (!portError)
                portError = std::current_exception();
            loop.quit();
        }
    };
    QObject::connect(&session.port(), &ComPort::outputEmpty, &loop,
                     [&] { guarded([&] { output.transmitBufferEmpty(); }); });
    QObject::connect(&session.port(), &ComPort::failed, &loop, [&](const QString &text) {
        portLost = text;
        output.portFailed();
        loop.quit();
    });

    // Stop as the window's Stop button: never in the middle of an exchange with the module.
    bool stopRequested = false;
    std::function<void()> requestStop = [&] {
        stopRequested = true;
        if (LineWait::active()) {
            LineWait::afterWait(&loop, requestStop);
            return;
        }
        guarded([&] {
            if (output.running())
                output.stop();
        });
        loop.quit();
    };
    QObject::connect(&Cli::Interrupt::instance(), &Cli::Interrupt::requested, &loop,
                     [&] { requestStop(); });
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { requestStop(); });
    if (Cli::Interrupt::isRequested()) {
        Cli::progress(QStringLiteral("interrupted before the carrier started"));
        return Cli::Success;
    }

    const QString what =
        QStringLiteral("%1 carrier (pattern %2) from the %3 module on %4")
            .arg(mode, QString::number(carrierPatternByte(modulated), 16).toUpper(),
                 session.typeLetter(), options.port);
    const QString how = alternate ? QStringLiteral("alternating %1 ms transmit, %2 ms receive")
                                        .arg(phases.transmitMs)
                                        .arg(phases.receiveMs)
                                  : QStringLiteral("transmitting continuously");
    const QString until = timed ? QStringLiteral("for %1 s or until Ctrl+C").arg(seconds)
                                : QStringLiteral("press Ctrl+C to stop");
    // The time counts from the moment the carrier goes on, after the configuration change.
    QElapsedTimer elapsed;
    qint64 carrierMs = 0;
    host.setRunningChanged([&](bool running) {
        if (!running) {
            carrierMs = elapsed.isValid() ? elapsed.elapsed() : 0;
            return;
        }
        Cli::progress(QStringLiteral("carrier on: %1, %2; %3").arg(what, how, until));
        elapsed.start();
        if (timed)
            deadline.start(int(seconds * 1000 + 0.5));
    });
    // An alternation returns when it has stopped; a continuous carrier runs in the event loop.
    output.start(modulated, alternate);
    if (output.running() && stopRequested)
        output.stop();
    if (output.running() && !portError)
        loop.exec();
    if (output.running())
        output.stop();
    deadline.stop();
    // A busy machine, not the module, when the alternation's phases began late.
    const LatenessTally &late = output.lateness();
    if (late.lateCycles() > 0)
        Cli::progress(QStringLiteral("the PC began %1 of %2 phases late (the latest by %3 ms)")
                          .arg(late.lateCycles())
                          .arg(late.cycles())
                          .arg(late.latestStepMs(), 0, 'f', 1));
    if (portError)
        std::rethrow_exception(portError);
    if (!portLost.isEmpty())
        Cli::fail(Cli::PortFailed, portLost);
    if (!host.failure().isEmpty())
        Cli::fail(Cli::ModuleFailed, host.failure());

    Cli::progress(host.configurationChanged()
                      ? QStringLiteral("carrier off: the module is back in receive, its "
                                       "configuration restored")
                      : QStringLiteral("carrier off: the module is back in receive"));
    if (options.json) {
        QJsonObject record =
            Cli::moduleRecord(QStringLiteral("carrier"), options.port, session.identity());
        record.insert(QStringLiteral("mode"), mode);
        record.insert(QStringLiteral("alternating"), alternate);
        record.insert(QStringLiteral("transmitMs"),
                      alternate ? QJsonValue(phases.transmitMs) : QJsonValue::Null);
        record.insert(QStringLiteral("receiveMs"),
                      alternate ? QJsonValue(phases.receiveMs) : QJsonValue::Null);
        record.insert(QStringLiteral("carrierMs"), carrierMs);
        Cli::writeJson(record);
        return Cli::Success;
    }
    Cli::writeLine(
        QStringLiteral("carrier: %1, %2, %3 s")
            .arg(mode, alternate ? QStringLiteral("alternating") : QStringLiteral("continuous"))
            .arg(carrierMs / 1000.0, 0, 'f', 3));
    return Cli::Success;
}

const Cli::Registration registration{{QStringLiteral("carrier"),
                                      QStringLiteral("transmit a carrier for a measurement"),
                                      runCarrier}};

} // namespace
