// The radio steps: LinkControl against a reference module, a carrier for an external
// measurement, and a sweep over a frequency plan with a noise limit.

#include "headless/pagecarrier.h"
#include "headless/sessionlinkrun.h"
#include "headless/slotsweep.h"
#include "station/portsession.h"
#include "station/referencepool.h"
#include "station/steps.h"

#include "link/linewait.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/registerdecoding.h"
#include "module/tables.h"
#include "module/writeexecution.h"
#include "monitor/frequencyplan.h"
#include "monitor/frequencyset.h"
#include "monitor/sweepcore.h"
#include "rf/carrier.h"
#include "rf/linkrun.h"
#include "rf/linksummary.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>

#include <array>

namespace Station
{

namespace
{

using Headless::rateListsOf;
using Headless::rateOfItem;

// Counts the cycles into the summary and ends the run after the plan's cycles.
class LinkCount : public LinkRunObserver
{
public:
    LinkCount(LinkRun &run, int cycles) : m_run(run), m_cycles(cycles) {}
    void cycleEnded(const LinkRun &, const LinkCycle &cycle,
                    const LinkFormulas::LinkSamples &) override
    {
        m_summary.add(cycle);
        if (m_summary.sent() >= m_cycles)
            m_run.requestStop();
    }
    const LinkSummary &summary() const { return m_summary; }

private:
    LinkRun &m_run;
    qint64 m_cycles;
    LinkSummary m_summary;
};

} // namespace

StepRecord linkStep(StepContext &context, const LinkStep &settings)
{
    StepRecord step;
    step.name = QStringLiteral("link");
    PortSession &session = context.session;
    const IdentityRecord &id = session.identity();
    if (firmwareType(id.typeLetter) != FirmwareType::C)
        return failStep(step, QStringLiteral("LinkControl only works with transceiver version "
                                             "C; the module is version %1")
                                  .arg(id.typeLetter));
    const auto page = cPageAfterReadout(id, session.registers());
    const int hfItem = page ? page->hfBaud : -1;
    const int hf = rateOfItem(rateListsOf(id).hfBaudC, hfItem);
    if (hf <= 0)
        return failStep(step, QStringLiteral("the module's radio data rate could not be read "
                                             "(register 0x0B)"));
    const qint32 rs = session.port().baudRate();
    const LinkRates rates{hf, rs, hfItem, pcBaudItem(rs)};

    // The reference module answers over the air: it is powered, and checked, for the run.
    if (!context.run.references)
        return failStep(step, QStringLiteral("no reference module given"));
    const auto reference =
        context.run.references->acquire(context.run.portIndex, *context.run.stop);
    if (!reference)
        return failStep(step, QStringLiteral("stopped by the operator while waiting for the "
                                             "reference module"));
    const auto release = qScopeGuard([&] { context.run.references->release(*reference); });
    PortSession referenceSession(*reference, context.run.baud);
    try {
        if (!referenceSession.powerUp() || !referenceSession.readOut())
            return failStep(
                step, QStringLiteral("the reference module on %1 does not answer").arg(*reference));
    } catch (const PortError &error) {
        return failStep(
            step,
            QStringLiteral("the reference port %1: %2").arg(*reference, error.text().simplified()));
    }
    if (firmwareType(referenceSession.typeLetter()) != FirmwareType::C)
        return failStep(step, QStringLiteral("the reference module on %1 is version %2; "
                                             "LinkControl needs a C module")
                                  .arg(*reference, referenceSession.typeLetter()));
    context.unit.referenceSerial = referenceSession.identity().serial;

    const int minimum = LinkRun::minimumInterval(rates, false);
    const int interval =
        LinkFormulas::runInterval(settings.interval.value_or(minimum), minimum, false);
    Headless::SessionLinkRun linkRun(session);
    LinkRun &run = linkRun.run();
    LinkCount count(run, settings.cycles);
    run.setObserver(&count);
    context.run.stopAction = [&run] { run.requestStop(); };
    {
        const auto cleanUp = qScopeGuard([&] {
            context.run.stopAction = {};
            session.setLinkControlRunning(false);
        });
        if (!context.run.stopRequested()) {
            session.setLinkControlRunning(true);
            run.run(interval, rates, false);
        }
    }
    const LinkSummary &summary = count.summary();
    step.measurements << checkNumber(QStringLiteral("cycles"), double(summary.sent()), QString(),
                                     Range{double(settings.cycles), std::nullopt});
    step.measurements << checkNumber(QStringLiteral("lostPercent"), summary.lostPercent(),
                                     QStringLiteral("%"),
                                     Range{std::nullopt, settings.lostMaxPercent});
    const struct {
        const char *quantity;
        LinkSummary::Quantity stat;
    } ratios[] = {{"snr1Min", LinkSummary::Snr1}, {"snr2Min", LinkSummary::Snr2}};
    for (const auto &ratio : ratios) {
        const LinkHistory::Stat &stat = summary.stat(ratio.stat);
        if (stat.count == 0) {
            Station::Measurement none =
                checkText(QString::fromLatin1(ratio.quantity), QStringLiteral("no levels"),
                          QStringLiteral("levels"));
            none.low = settings.snrMin;
            step.measurements << none;
            continue;
        }
        step.measurements << checkNumber(QString::fromLatin1(ratio.quantity), double(stat.min),
                                         QStringLiteral("dB"),
                                         Range{settings.snrMin, std::nullopt});
    }
    settleStep(step);
    if (context.run.stopRequested() && summary.sent() < settings.cycles)
        step.reason = QStringLiteral("stopped by the operator after %1 of %2 cycles")
                          .arg(summary.sent())
                          .arg(settings.cycles);
    return step;
}

StepRecord carrierStep(StepContext &context, const CarrierStep &settings)
{
    StepRecord step;
    step.name = QStringLiteral("carrier");
    PortSession &session = context.session;
    if (!isKnownSoftwareType(session.typeLetter()))
        return failStep(step, QStringLiteral("unknown software type"));
    QEventLoop loop;
    Headless::PageCarrier host(session, settings.phases, loop);
    if (host.isC()) {
        const int moduleBaud = rateOfItem(host.rateLists().rs232BaudC, host.cPage()->rs232Baud);
        const int pc = session.port().baudRate();
        const CarrierRefusal refusal = carrierRefusalC(
            QString::number(pc), QString::number(moduleBaud), QString::number(host.radioBaud()),
            settings.phases ? std::optional(settings.phases->transmitMs) : std::nullopt);
        if (refusal == CarrierRefusal::RatesDiffer)
            return failStep(step, QStringLiteral("the module's RS232 rate is %1 baud, the PC's "
                                                 "%2: they must be the same for the carrier")
                                      .arg(moduleBaud)
                                      .arg(pc));
        if (refusal == CarrierRefusal::PcNotFasterThanRadio)
            return failStep(step, QStringLiteral("the PC's rate (%1 baud) must be higher than "
                                                 "the radio rate (%2 baud) for the carrier")
                                      .arg(pc)
                                      .arg(host.radioBaud()));
        if (refusal == CarrierRefusal::TransmitTimeTooShort)
            return failStep(step, QStringLiteral("tx_ms %1 is too short for the radio rate of "
                                                 "%2 baud")
                                      .arg(settings.phases->transmitMs)
                                      .arg(host.radioBaud()));
    }

    Headless::SessionCarrierOutput carrier(session, host);
    CarrierOutput &output = carrier.output();
    bool portFailed = false;
    QObject handlers;
    QObject::connect(&session.port(), &ComPort::outputEmpty, &handlers, [&] {
        try {
            output.transmitBufferEmpty();
        } catch (const PortError &) {
            portFailed = true;
            loop.quit();
        }
    });
    QObject::connect(&session.port(), &ComPort::failed, &handlers, [&] {
        portFailed = true;
        output.portFailed();
        loop.quit();
    });
    // Stop as the window's Stop button: never in the middle of an exchange with the module.
    std::function<void()> requestStop = [&] {
        if (LineWait::active()) {
            LineWait::afterWait(&handlers, requestStop);
            return;
        }
        if (output.running())
            output.stop();
        loop.quit();
    };
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &handlers, [&] { requestStop(); });
    context.run.stopAction = [&] { requestStop(); };
    const auto cleanUp = qScopeGuard([&] { context.run.stopAction = {}; });
    if (context.run.stopRequested())
        return failStep(step, QStringLiteral("stopped by the operator"));

    // The time counts from the moment the carrier goes on.
    QElapsedTimer on;
    qint64 onMs = 0;
    host.setRunningChanged([&](bool running) {
        if (!running) {
            onMs = on.isValid() ? on.elapsed() : 0;
            return;
        }
        on.start();
        deadline.start(int(settings.seconds * 1000 + 0.5));
    });
    output.start(settings.modulated, settings.phases.has_value());
    if (output.running() && !portFailed)
        loop.exec();
    if (output.running())
        output.stop();
    deadline.stop();
    if (portFailed)
        throw PortLost{session.lossText()};
    if (!host.failure().isEmpty())
        return failStep(step, host.failure());
    step.measurements << checkNumber(QStringLiteral("seconds"), onMs / 1000.0, QStringLiteral("s"),
                                     Range{settings.seconds * 0.99, std::nullopt});
    settleStep(step);
    if (context.run.stopRequested() && step.result == Result::Failed)
        step.reason = QStringLiteral("stopped by the operator after %1 s of %2 s")
                          .arg(onMs / 1000.0, 0, 'f', 1)
                          .arg(settings.seconds);
    return step;
}

namespace
{

// The sweep on a station port, for the plan's number of sweeps: the highest peak of any slot.
class StationSweep : public Headless::SlotSweep
{
public:
    using SlotSweep::SlotSweep;
    // The highest peak of any slot, and its channel.
    int highestPeak() const { return m_highest; }
    int highestChannel() const { return m_highestChannel; }

    void slotMeasured(int slot, int, int peak) override
    {
        if (peak > m_highest || m_highestChannel == 0) {
            m_highest = peak;
            m_highestChannel = m_items[size_t(slot)] + 1;
        }
    }

private:
    int m_highest = -128;
    int m_highestChannel = 0;
};

} // namespace

StepRecord sweepStep(StepContext &context, const SweepStep &settings)
{
    StepRecord step;
    step.name = QStringLiteral("sweep");
    PortSession &session = context.session;
    const IdentityRecord &id = session.identity();
    if (!isKnownSoftwareType(id.typeLetter))
        return failStep(step, QStringLiteral("unknown software type"));
    const bool knownBand = id.band == QLatin1String("433") || id.band == QLatin1String("868");
    const QStringList channels =
        knownBand ? channelItems(id.band.toInt()) : designTimeChannelItems();
    int receiveItem = -1;
    int spacingItem = -1;
    if (const auto c = cPageAfterReadout(id, session.registers())) {
        receiveItem = c->frqRx;
        spacingItem = c->hfBaud;
    } else if (const auto b = bPageAfterReadout(id, session.registers())) {
        receiveItem = b->frqRx;
        spacingItem = b->kBreite;
    }

    MsCountdown countdown(0);
    MmTimerSlot timerSlot(countdown);
    StationSweep sweep(session, countdown, timerSlot);
    sweep.setSpeed(settings.speed);
    sweep.setSweeps(settings.sweeps);
    sweep.setReceiveItem(receiveItem);
    if (settings.autoset) {
        const AutosetPlan plan = autosetPlan(id.band);
        sweep.setSlots(planSlotItems(placePlanItems(plan.first, plan.end, plan.spacing),
                                     int(channels.size())));
    } else {
        FrequencySetRequest request;
        request.centreText = settings.centre;
        request.spanText = settings.span;
        request.frqVersion = id.band;
        request.typeLetter = id.typeLetter;
        request.spacingItem = spacingItem;
        request.locale = QLocale::c();
        const FrequencySetResult plan = frequencySet(request);
        if (!plan.placed())
            return failStep(step, plan.messages.value(0).english.simplified());
        sweep.setSlots(planSlotItems(plan.items, int(channels.size())));
    }
    if (sweep.activeSlots() == 0)
        return failStep(step, QStringLiteral("no channel of the span lies in the module's band"));

    context.run.stopAction = [&sweep] { sweep.core().requestStop(); };
    {
        const auto cleanUp = qScopeGuard([&] { context.run.stopAction = {}; });
        if (!context.run.stopRequested())
            sweep.core().run(session.port().baudRate());
    }
    if (!session.port().isOpen())
        throw PortLost{session.lossText()};
    if (sweep.receiveFailed())
        return failStep(step, QStringLiteral("Receive error: the module stopped answering the "
                                             "signal strength queries"));
    if (sweep.done() < settings.sweeps)
        return failStep(step, QStringLiteral("stopped by the operator after %1 of %2 sweeps")
                                  .arg(sweep.done())
                                  .arg(settings.sweeps));
    Station::Measurement noise =
        checkNumber(QStringLiteral("noiseMax"), sweep.highestPeak(), QStringLiteral("dBm"),
                    Range{std::nullopt, settings.noiseMax});
    noise.text = QStringLiteral("%1dBm on K%2")
                     .arg(sweep.highestPeak())
                     .arg(sweep.highestChannel(), 3, 10, QLatin1Char('0'));
    step.measurements << noise;
    settleStep(step);
    return step;
}

} // namespace Station
