// korvel-cli sweep: the monitor's sweeps over the autoset plan or a centre and span, as the
// CSV rows of the monitor's export.
#include "commands.h"
#include "csvtarget.h"
#include "failure.h"
#include "interrupt.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "headless/slotsweep.h"
#include "link/comport.h"
#include "module/identification.h"
#include "module/registerdecoding.h"
#include "module/tables.h"
#include "monitor/csvexport.h"
#include "monitor/frequencyplan.h"
#include "monitor/frequencyset.h"
#include "monitor/sweepcore.h"
#include "rf/mscountdown.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>
#include <array>
#include <climits>

namespace
{

// What the read-out selected on the configuration page, as the window's monitor reads it: the
// receive channel the module goes back to after the sweep, and the channel width (C: radio data
// rate) whose bandwidth sets the spacing of a centre-and-span plan.
struct SweepConfiguration {
    int receiveItem = -1;
    int spacingItem = -1;
};

SweepConfiguration sweepConfiguration(const Cli::Session &session)
{
    const IdentityRecord &identity = session.identity();
    if (const auto c = cPageAfterReadout(identity, session.registers()))
        return {c->frqRx, c->hfBaud};
    const BPageValues b = bPageAfterReadout(identity, session.registers()).value_or(BPageValues{});
    return {b.frqRx, b.kBreite};
}

// The sweep's settings and output: the slots of the plan, the settings of the window's design
// (no smoothing, the instantaneous signal strength, a peak window of 200 sweeps), and a block of
// CSV rows for every completed sweep.
class CliSweep : public Headless::SlotSweep
{
public:
    CliSweep(Cli::Session &session, MsCountdown &countdown, MmTimerSlot &timerSlot)
        : SlotSweep(session, countdown, timerSlot), m_port(session.options().port)
    {
    }

    void setChannelItems(const QStringList &items) { m_channelItems = items; }
    void setFile(SweepCsvFile *file) { m_file = file; }
    // One JSON line per sweep on standard output instead of the CSV rows.
    void setJson(bool json) { m_json = json; }

    // Standard output could not take the rows (the program's end tells why).
    bool outputFailed() const { return m_outputFailed; }
    QString writeError() const { return m_writeError; }

    void sweepMeasured() override
    {
        QList<SlotReading> readings;
        for (int n = 0; n < kSlots; ++n) {
            if (m_items[n] >= 0)
                readings << m_core.reading(n, m_items[n], m_channelItems.value(m_items[n]));
        }
        const QDateTime now = QDateTime::currentDateTimeUtc();
        if (m_file && !m_file->writeSweep(now, readings)) {
            m_writeError = m_file->errorString();
            m_core.requestStop();
            return;
        }
        if (m_json)
            Cli::writeJson(sweepJson(now, readings));
        else if (!m_file)
            for (const SlotReading &reading : readings)
                Cli::writeLine(csvLine(now, reading));
        // A reader that has gone (a pipe into head) or a full disk ends the sweep as a stop does.
        if ((m_json || !m_file) && !Cli::outputComplete()) {
            m_outputFailed = true;
            m_core.requestStop();
            return;
        }
        countSweep();
    }

private:
    QJsonObject sweepJson(const QDateTime &timestamp, const QList<SlotReading> &readings) const
    {
        QJsonObject record =
            Cli::moduleRecord(QStringLiteral("sweep"), m_port, m_session.identity());
        record.insert(QStringLiteral("timestamp"), timestamp.toString(Qt::ISODateWithMs));
        QJsonArray slotList;
        for (const SlotReading &reading : readings)
            slotList.append(QJsonObject{
                {QStringLiteral("slot"), reading.slot},
                {QStringLiteral("channel"), reading.channel},
                {QStringLiteral("frequencyMhz"), reading.frequencyMHz},
                {QStringLiteral("levelDbm"), reading.levelDbm},
                {QStringLiteral("peakDbm"), reading.peakDbm},
            });
        record.insert(QStringLiteral("slots"), slotList);
        return record;
    }

    QString m_port;
    QStringList m_channelItems;
    SweepCsvFile *m_file = nullptr;
    bool m_json = false;
    bool m_outputFailed = false;
    QString m_writeError;
};

int runSweep(const QStringList &arguments)
{
    Cli::CommandParser command(
        QStringLiteral("sweep"),
        QStringLiteral("sweep [--autoset | --center MHZ --span KHZ] [--sweeps N] [--speed N] "
                       "[--csv FILE] [--json] -p PORT [-b BAUD]"),
        QStringLiteral("Sweeps the monitor's slots: the module's receiver is tuned to each "
                       "slot's channel in turn and its signal strength read. Prints one CSV row "
                       "per slot and sweep, as the window's export writes them; with --json one "
                       "line of JSON per sweep instead."));
    QCommandLineParser &parser = command.parser();
    parser.addOption({QStringLiteral("autoset"),
                      QStringLiteral("The band's fixed plan of 30 channels (the default).")});
    parser.addOption({QStringLiteral("center"),
                      QStringLiteral("The centre frequency of the plan in MHz (with --span)."),
                      QStringLiteral("MHZ")});
    parser.addOption({QStringLiteral("span"),
                      QStringLiteral("The span of the plan in kHz; the spacing follows "
                                     "the configured bandwidth, at most 30 channels."),
                      QStringLiteral("KHZ")});
    parser.addOption({QStringLiteral("sweeps"),
                      QStringLiteral("The number of sweeps (default 1; 0: until "
                                     "interrupted)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("speed"),
                      QStringLiteral("The monitor's speed, 0 (slow) to 10 (fast, the "
                                     "default): the settle wait after each tune is (10 - "
                                     "N) x 10 + 5 ms."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("csv"),
                      QStringLiteral("Write the rows into FILE instead of standard "
                                     "output."),
                      QStringLiteral("FILE")});
    command.addJsonOption();
    command.process(arguments);

    const bool autoset = parser.isSet(QStringLiteral("autoset"));
    const bool centre = parser.isSet(QStringLiteral("center"));
    const bool span = parser.isSet(QStringLiteral("span"));
    if (autoset && (centre || span))
        command.usage(QStringLiteral("--autoset excludes --center and --span"));
    if (centre != span)
        command.usage(QStringLiteral("--center and --span go together"));
    const int sweeps = parser.isSet(QStringLiteral("sweeps"))
                           ? command.intValue(QStringLiteral("sweeps"), 0, INT_MAX)
                           : 1;
    const int speed = parser.isSet(QStringLiteral("speed"))
                          ? command.intValue(QStringLiteral("speed"), 0, 10)
                          : 10;
    FrequencySetRequest request;
    request.locale = QLocale::c();
    if (centre) {
        request.centreText = parser.value(QStringLiteral("center"));
        request.spanText = parser.value(QStringLiteral("span"));
        // What the entry alone decides is wrong usage, found before the module is touched.
        request.typeLetter = QStringLiteral("B");
        request.spacingItem = 0;
        const FrequencySetResult entry = frequencySet(request);
        switch (entry.refusal) {
        case FrequencySetResult::EmptyEntry:
        case FrequencySetResult::NotANumber:
        case FrequencySetResult::NegativeSpan:
            command.usage(Cli::oneLine(entry.messages.first().english));
        default:
            break;
        }
    }
    const QString csvPath = parser.value(QStringLiteral("csv"));
    if (parser.isSet(QStringLiteral("csv")) && csvPath.isEmpty())
        command.usage(QStringLiteral("--csv needs a file name"));
    const Cli::CommonOptions options = command.common();
    // The file is checked before the module is touched.
    SweepCsvFile file;
    if (!csvPath.isEmpty())
        Cli::openCsvTarget(file, csvPath);

    Cli::Session session(options);
    session.connect();
    session.requireConfigurable();
    const IdentityRecord &identity = session.identity();
    const bool knownBand =
        identity.band == QLatin1String("433") || identity.band == QLatin1String("868");
    const QStringList channels =
        knownBand ? channelItems(identity.band.toInt()) : designTimeChannelItems();
    const SweepConfiguration configuration = sweepConfiguration(session);

    MsCountdown countdown(0);
    MmTimerSlot timerSlot(countdown);
    CliSweep sweep(session, countdown, timerSlot);
    sweep.setChannelItems(channels);
    sweep.setSpeed(speed);
    sweep.setSweeps(sweeps);
    sweep.setReceiveItem(configuration.receiveItem);
    if (centre) {
        request.frqVersion = identity.band;
        request.typeLetter = identity.typeLetter;
        request.spacingItem = configuration.spacingItem;
        const FrequencySetResult plan = frequencySet(request);
        for (const PlanMessage &message : plan.messages) {
            if (plan.placed())
                Cli::progress(Cli::oneLine(message.english));
        }
        switch (plan.refusal) {
        case FrequencySetResult::None:
            break;
        case FrequencySetResult::OutOfRange:
            command.usage(Cli::oneLine(plan.messages.first().english));
        default:
            Cli::fail(Cli::ModuleFailed, Cli::oneLine(plan.messages.first().english));
        }
        sweep.setSlots(planSlotItems(plan.items, int(channels.size())));
    } else {
        const AutosetPlan plan = autosetPlan(identity.band);
        sweep.setSlots(planSlotItems(placePlanItems(plan.first, plan.end, plan.spacing),
                                     int(channels.size())));
    }
    if (sweep.activeSlots() == 0)
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("no channel of the span lies in the module's %1 MHz band")
                      .arg(identity.band == QLatin1String("433") ? 433 : 868));

    sweep.setJson(options.json);
    if (!csvPath.isEmpty())
        sweep.setFile(&file);
    else if (!options.json)
        Cli::writeLine(csvHeader());

    // A signal ends the sweep as the window's Stop does: the slot being measured completes, then
    // the module is tuned back to its receive channel.
    QObject whileSweeping;
    QObject::connect(&Cli::Interrupt::instance(), &Cli::Interrupt::requested, &whileSweeping,
                     [&sweep] { sweep.core().requestStop(); });
    if (!Cli::Interrupt::isRequested())
        sweep.core().run(options.baud);
    if (!sweep.writeError().isEmpty())
        Cli::fail(Cli::UsageError,
                  QStringLiteral("cannot write %1: %2").arg(csvPath, sweep.writeError()));
    if (sweep.outputFailed())
        return Cli::UsageError;
    if (!session.port().isOpen())
        Cli::fail(Cli::PortFailed, QStringLiteral("the port was closed during the sweep"));
    if (sweep.receiveFailed()) {
        // Whether the PC was busy while the module seemed to stop answering.
        const LatenessTally &late = sweep.core().lateness();
        if (late.lateCycles() > 0)
            Cli::progress(
                QStringLiteral("the PC ran %1 of %2 readings late (the latest %3 ms after its "
                               "settle wait)")
                    .arg(late.lateCycles())
                    .arg(late.cycles())
                    .arg(late.latestStepMs(), 0, 'f', 1));
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("Receive error: the module stopped answering the signal "
                                 "strength queries"));
    }
    return Cli::Success;
}

const Cli::Registration registration({QStringLiteral("sweep"),
                                      QStringLiteral("monitor sweeps as CSV rows"), runSweep});

} // namespace
