// korvel-cli link: a LinkControl run with the window's cycle, and its summary.

#include "commands.h"
#include "csvtarget.h"
#include "failure.h"
#include "interrupt.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "headless/sessionlinkrun.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/registerdecoding.h"
#include "module/tables.h"
#include "rf/linkhistorycsv.h"
#include "rf/linkrun.h"
#include "rf/linksummary.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTimer>

#include <climits>
#include <cmath>

namespace
{

constexpr qint64 kFlushMs = 1000;

// The rates the window would time the run for: the radio rate the read-out selected on the C
// page and the PC's serial rate, each with its item position.
LinkRates linkRatesOf(const Cli::Session &session)
{
    const IdentityRecord &id = session.identity();
    const auto page = cPageAfterReadout(id, session.registers());
    const auto lists = rateListsFor(id.typeLetter, id.commandSet.toInt(), id.speed);
    const QStringList hfItems = splitItems(lists ? lists->hfBaudC : designHfBaudC());
    const int hfItem = page ? page->hfBaud : -1;
    bool ok = false;
    const int hf = hfItems.value(hfItem).toInt(&ok);
    if (!ok || hf <= 0)
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("the module's radio data rate could not be read (register 0x0B)"));
    const qint32 rs = session.options().baud;
    return LinkRates{hf, rs, hfItem, pcBaudItem(rs)};
}

// Counts every cycle into the summary and the CSV file; the file is written once a second.
class LinkReport : public LinkRunObserver
{
public:
    LinkReport(LinkRun &run, LinkCsvFile &csv, qint64 cycles)
        : m_run(run), m_csv(csv), m_cycles(cycles)
    {
        m_sinceFlush.start();
    }

    void cycleEnded(const LinkRun &, const LinkCycle &cycle,
                    const LinkFormulas::LinkSamples &) override
    {
        m_summary.add(cycle);
        if (m_csv.isOpen()) {
            m_csv.append(cycle);
            if (m_sinceFlush.elapsed() >= kFlushMs) {
                m_sinceFlush.restart();
                writeCsv();
            }
        }
        if (m_cycles > 0 && m_summary.sent() >= m_cycles)
            m_run.requestStop();
    }

    // Writes what is queued and closes the file; false (with the reason kept) when it failed.
    bool closeCsv()
    {
        if (!m_csv.isOpen())
            return m_csvError.isEmpty();
        if (!m_csv.close() && m_csvError.isEmpty())
            m_csvError = m_csv.errorString();
        return m_csvError.isEmpty();
    }
    QString csvError() const { return m_csvError; }
    const LinkSummary &summary() const { return m_summary; }

private:
    void writeCsv()
    {
        if (m_csv.flush())
            return;
        // A file that cannot take the rows ends the run: its rows would be incomplete.
        m_csvError = m_csv.errorString();
        m_csv.close();
        m_run.requestStop();
    }

    LinkRun &m_run;
    LinkCsvFile &m_csv;
    qint64 m_cycles;
    LinkSummary m_summary;
    QElapsedTimer m_sinceFlush;
    QString m_csvError;
};

double rounded(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

QJsonValue statJson(const LinkHistory::Stat &stat)
{
    return QJsonObject{{QStringLiteral("min"), double(stat.min)},
                       {QStringLiteral("mean"), rounded(stat.mean())},
                       {QStringLiteral("max"), double(stat.max)}};
}

QJsonValue moduleJson(const LinkSummary &summary, LinkSummary::Quantity first)
{
    if (summary.stat(first).count == 0)
        return QJsonValue::Null;
    return QJsonObject{
        {QStringLiteral("signalDbm"), statJson(summary.stat(first))},
        {QStringLiteral("noiseDbm"), statJson(summary.stat(LinkSummary::Quantity(first + 1)))},
        {QStringLiteral("snrDb"), statJson(summary.stat(LinkSummary::Quantity(first + 2)))}};
}

void writeModuleLines(const LinkSummary &summary, int module, LinkSummary::Quantity first)
{
    const QString name = QStringLiteral("module %1").arg(module);
    if (summary.stat(first).count == 0) {
        Cli::writeLine(name + QStringLiteral(": no levels"));
        return;
    }
    const struct {
        const char *what;
        const char *unit;
    } rows[] = {{"signal", "dBm"}, {"noise", "dBm"}, {"SNR", "dB"}};
    for (int i = 0; i < 3; ++i) {
        const LinkHistory::Stat &s = summary.stat(LinkSummary::Quantity(first + i));
        Cli::writeLine(QStringLiteral("%1 %2: min %3, mean %4, max %5 %6")
                           .arg(name, QLatin1String(rows[i].what))
                           .arg(double(s.min))
                           .arg(QString::number(s.mean(), 'f', 1))
                           .arg(double(s.max))
                           .arg(QLatin1String(rows[i].unit)));
    }
}

// How late the PC ran the cycles: a loss in a late cycle may be the PC's doing.
QJsonValue latenessJson(const LatenessTally &lateness)
{
    return QJsonObject{{QStringLiteral("lateCycles"), lateness.lateCycles()},
                       {QStringLiteral("latestStepMs"), rounded(lateness.latestStepMs())},
                       {QStringLiteral("thresholdMs"), Lateness::kLateMs}};
}

void writeSummary(const Cli::Session &session, int interval, const LinkSummary &summary)
{
    const Cli::CommonOptions &options = session.options();
    if (options.json) {
        QJsonObject record =
            Cli::moduleRecord(QStringLiteral("link"), options.port, session.identity());
        record.insert(QStringLiteral("intervalMs"), interval);
        record.insert(QStringLiteral("sent"), summary.sent());
        record.insert(QStringLiteral("received"), summary.received());
        record.insert(QStringLiteral("lost"), summary.lost());
        record.insert(QStringLiteral("lostPercent"), rounded(summary.lostPercent()));
        record.insert(QStringLiteral("module1"), moduleJson(summary, LinkSummary::Signal1));
        record.insert(QStringLiteral("module2"), moduleJson(summary, LinkSummary::Signal2));
        record.insert(QStringLiteral("pcLate"), latenessJson(summary.lateness()));
        Cli::writeJson(record);
        return;
    }
    Cli::writeLine(QStringLiteral("interval: %1 ms").arg(interval));
    Cli::writeLine(QStringLiteral("sent: %1").arg(summary.sent()));
    Cli::writeLine(QStringLiteral("received: %1").arg(summary.received()));
    Cli::writeLine(QStringLiteral("lost: %1").arg(summary.lost()));
    Cli::writeLine(QStringLiteral("lost %: ") +
                   LinkFormulas::generalFormat(summary.lostPercent(), 3, QLocale::c()));
    Cli::writeLine(QStringLiteral("PC late: %1 cycles, latest step %2 ms")
                       .arg(summary.lateness().lateCycles())
                       .arg(summary.lateness().latestStepMs(), 0, 'f', 1));
    writeModuleLines(summary, 1, LinkSummary::Signal1);
    writeModuleLines(summary, 2, LinkSummary::Signal2);
}

int runLink(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("link"),
        QStringLiteral("link [--interval MS] [--cycles N | --seconds S] [--csv FILE] [--json] "
                       "-p PORT [-b BAUD]"),
        QStringLiteral(
            "Runs LinkControl on a C module: once per interval the module exchanges a telegram "
            "with the free module and reports the signal and noise levels both saw. Without "
            "--cycles or --seconds it runs until interrupted (SIGINT, SIGTERM); the current "
            "cycle's answer is still read. Then it prints the cycles sent, received and lost and "
            "min, mean and max of signal, noise and SNR of both modules."));
    parser.parser().addOptions({
        {QStringLiteral("interval"),
         QStringLiteral("The interval in ms (default: the shortest one for the module's rates)."),
         QStringLiteral("MS")},
        {QStringLiteral("cycles"), QStringLiteral("End after N cycles."), QStringLiteral("N")},
        {QStringLiteral("seconds"), QStringLiteral("End after S seconds."), QStringLiteral("S")},
        {QStringLiteral("csv"), QStringLiteral("Write one row per cycle into FILE."),
         QStringLiteral("FILE")},
    });
    parser.addJsonOption();
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common();
    QCommandLineParser &p = parser.parser();
    if (p.isSet(QStringLiteral("cycles")) && p.isSet(QStringLiteral("seconds")))
        parser.usage(QStringLiteral("give either --cycles or --seconds"));
    // As in the window, any whole number up to the longest interval is taken; one below the
    // minimum is noted below instead of asked about.
    std::optional<qint64> interval;
    if (p.isSet(QStringLiteral("interval"))) {
        const QString text = p.value(QStringLiteral("interval"));
        bool ok = false;
        interval = text.toLongLong(&ok);
        if (!ok || LinkFormulas::intervalTooLong(*interval))
            parser.usage(QStringLiteral("--interval \"%1\": a whole number up to %2 is expected")
                             .arg(text)
                             .arg(LinkFormulas::kIntervalMaxMs));
    }
    const qint64 cycles = p.isSet(QStringLiteral("cycles"))
                              ? parser.intValue(QStringLiteral("cycles"), 1, INT_MAX)
                              : 0;
    // Up to a year; a timer takes whole milliseconds.
    const double seconds = p.isSet(QStringLiteral("seconds"))
                               ? parser.doubleValue(QStringLiteral("seconds"), 0.001, 31536000.0)
                               : 0.0;
    LinkCsvFile csv;
    const QString csvPath = p.value(QStringLiteral("csv"));
    if (p.isSet(QStringLiteral("csv")))
        Cli::openCsvTarget(csv, csvPath);

    Cli::Session session(options);
    session.connect();
    if (firmwareType(session.typeLetter()) != FirmwareType::C)
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("LinkControl only works with transceiver version C! The module "
                                 "on %1 is version %2.")
                      .arg(options.port, session.typeLetter()));
    const LinkRates rates = linkRatesOf(session);
    const int minimum = LinkRun::minimumInterval(rates, false);
    // Nobody is asked to raise the interval here: a shorter one runs as given, but at 1 ms at
    // least.
    const int runInterval = LinkFormulas::runInterval(interval.value_or(minimum), minimum, false);
    if (interval && *interval < runInterval)
        Cli::progress(
            QStringLiteral("--interval %1: a cycle waits at least %2 ms; the run uses %2 ms.")
                .arg(*interval)
                .arg(runInterval));
    Cli::progress(QStringLiteral("LinkControl on %1: interval %2 ms, radio %3 baud, serial %4 baud")
                      .arg(options.port)
                      .arg(runInterval)
                      .arg(rates.hf)
                      .arg(rates.rs));
    if (runInterval < minimum)
        Cli::progress(QStringLiteral("The minimal interval for actual configuration is %1 ms: "
                                     "answers may come too late and count as lost.")
                          .arg(minimum));

    Headless::SessionLinkRun linkRun(session);
    LinkRun &run = linkRun.run();
    LinkReport report(run, csv, cycles);
    run.setObserver(&report);

    QObject context;
    QObject::connect(&Cli::Interrupt::instance(), &Cli::Interrupt::requested, &context,
                     [&run] { run.requestStop(); });
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &context, [&run] { run.requestStop(); });
    if (seconds > 0)
        deadline.start(int(std::min<double>(std::llround(seconds * 1000.0), INT_MAX)));

    // Whatever ends the run, a lost port too, the file is closed and the summary printed.
    bool csvWritten = false;
    {
        const auto finish = qScopeGuard([&] {
            session.setLinkControlRunning(false);
            csvWritten = report.closeCsv();
            writeSummary(session, runInterval, report.summary());
        });
        // An interrupt during the connect leaves no run to start.
        if (!Cli::Interrupt::isRequested()) {
            // The transaction's receive handler leaves the input to the run meanwhile.
            session.setLinkControlRunning(true);
            run.run(runInterval, rates, false);
        }
    }
    if (!csvWritten)
        Cli::fail(Cli::UsageError,
                  QStringLiteral("cannot write %1: %2").arg(csvPath, report.csvError()));
    return Cli::Success;
}

const Cli::Registration registration{
    {QStringLiteral("link"), QStringLiteral("a LinkControl run and its summary"), runLink}};

} // namespace
