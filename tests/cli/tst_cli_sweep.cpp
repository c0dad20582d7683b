// korvel-cli sweep against the emulator's synthetic spectrum: the rows of the window's export over
// the window's plans, the refusals with their status, and the stop on a signal.

#include "support_cli.h"

#include "monitor/frequencyplan.h"
#include "monitor/frequencyset.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace
{

using Carriers = QHash<int, int>; // channel number: dBm

const QString kHeader = QStringLiteral("timestamp,slot,channel,frequency_mhz,level_dbm,peak_dbm");

struct Row {
    QString timestamp;
    int slot = 0;
    int channel = 0;
    QString frequency;
    int level = 0;
    int peak = 0;
};

// The rows after the header; an empty list when the header is missing or a row is malformed.
QList<Row> rowsOf(const QString &csv)
{
    QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.takeFirst() != kHeader)
        return {};
    QList<Row> rows;
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char(','));
        if (f.size() != 6 || !QDateTime::fromString(f[0], Qt::ISODateWithMs).isValid())
            return {};
        rows.append({f[0], f[1].toInt(), f[2].toInt(), f[3], f[4].toInt(), f[5].toInt()});
    }
    return rows;
}

QString frequencyText(const QString &band, int item)
{
    const double base = band == QLatin1String("433") ? 433.0625 : 868.0125;
    return QString::number(base + item * 0.0125, 'f', 4);
}

// Checks the rows of a number of sweeps over the plan's items: every sweep lists the plan's
// slots in order under one timestamp, a carrier's level stands in its channel's slot and the
// noise floor (-115 dBm, jitter 2 dB) in every other.
void checkSweeps(const QList<Row> &rows, int sweeps, const QString &band, const QList<int> &items,
                 const Carriers &carriers)
{
    QCOMPARE(rows.size(), sweeps * items.size());
    for (int s = 0; s < sweeps; ++s) {
        for (int n = 0; n < items.size(); ++n) {
            const Row &row = rows[s * items.size() + n];
            const QString where = QStringLiteral("sweep %1, slot %2: level %3, peak %4")
                                      .arg(s + 1)
                                      .arg(row.slot)
                                      .arg(row.level)
                                      .arg(row.peak);
            QCOMPARE(row.timestamp, rows[s * items.size()].timestamp);
            QCOMPARE(row.slot, n + 1);
            QCOMPARE(row.channel, items[n] + 1);
            QCOMPARE(row.frequency, frequencyText(band, items[n]));
            QVERIFY2(row.peak >= row.level, qPrintable(where));
            if (carriers.contains(row.channel))
                QVERIFY2(qAbs(row.level - carriers[row.channel]) <= 2, qPrintable(where));
            else
                QVERIFY2(row.level <= -113 && row.level >= -117, qPrintable(where));
        }
    }
}

QString fileText(const QString &path)
{
    return QString::fromUtf8(fileBytes(path));
}

// The last frame sent, from the --debug log: "B0,09,46,".
QString lastFrameSent(const QString &log)
{
    static const QRegularExpression sent(QStringLiteral("^TX (B0,[0-9A-F]{2},[0-9A-F]{2},)"),
                                         QRegularExpression::MultilineOption);
    QString last;
    for (auto it = sent.globalMatch(log); it.hasNext();)
        last = it.next().captured(1);
    return last;
}

} // namespace

class TestCliSweep : public QObject
{
    Q_OBJECT
private slots:
    void autosetRowsShowTheCarriers_data();
    void autosetRowsShowTheCarriers();
    void centreAndSpanPlaceTheWindowsPlan_data();
    void centreAndSpanPlaceTheWindowsPlan();
    void failuresEndWithTheirStatus_data();
    void failuresEndWithTheirStatus();
    void signalKeepsWholeSweepsAndTunesBack_data();
    void signalKeepsWholeSweepsAndTunesBack();
    void closedOutputStopsTheSweepAndTunesBack();
};

void TestCliSweep::autosetRowsShowTheCarriers_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("band");
    QTest::addColumn<int>("sweeps");
    QTest::addColumn<bool>("toFile");
    QTest::addColumn<Carriers>("carriers");
    // Autoset puts channel 40 into slot 9 in the 433 MHz band, channels 51 and 157 into slots 10
    // and 30 in the 868 MHz band; channel 41 lies between two planned channels.
    QTest::newRow("B 433 MHz, autoset and one sweep by default")
        << QStringList{"--type",    "B",        "--band",    "433",
                       "--carrier", "K040:-70", "--carrier", "K041:-62"}
        << QStringList{} << "433" << 1 << false << Carriers{{40, -70}};
    QTest::newRow("C 868 MHz, three sweeps into a file")
        << QStringList{"--carrier", "K051:-64", "--carrier", "K157:-90"}
        << QStringList{"--autoset", "--sweeps", "3", "--csv", "FILE"} << "868" << 3 << true
        << Carriers{{51, -64}, {157, -90}};
}

void TestCliSweep::autosetRowsShowTheCarriers()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, arguments);
    QFETCH(QString, band);
    QFETCH(int, sweeps);
    QFETCH(bool, toFile);
    QFETCH(Carriers, carriers);

    SimPort sim;
    QVERIFY(sim.start(simArguments));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sweeps.csv"));
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), path);
    const CliResult result = runCli(QStringList{"sweep", "-p", sim.devicePath()} + arguments);
    VERIFY_RUN(result, 0);
    QCOMPARE(result.out.isEmpty(), toFile);
    const QList<Row> rows = rowsOf(toFile ? fileText(path) : result.out);

    const AutosetPlan plan = autosetPlan(band);
    checkSweeps(rows, sweeps, band, placePlanItems(plan.first, plan.end, plan.spacing), carriers);
}

void TestCliSweep::centreAndSpanPlaceTheWindowsPlan_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("band");
    QTest::addColumn<int>("spacingItem"); // the emulator's channel width (B) or radio rate (C)
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("span");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QString>("notice");
    QTest::newRow("B 433 MHz at 50 kHz channel width")
        << QStringList{"--type", "B", "--band", "433", "--carrier", "K040:-70"} << "B"
        << "433" << 2 << "433.55"
        << "200" << 9 << "";
    QTest::newRow("C 868 MHz at 9600 baud radio rate")
        << QStringList{"--carrier", "K039:-66"} << "C"
        << "868" << 3 << "868.5"
        << "210" << 9 << "";
    QTest::newRow("below the band: cut at its lowest channel")
        << QStringList{"--type", "B", "--band", "433", "--carrier", "K003:-80"} << "B"
        << "433" << 2 << "433.1"
        << "100" << 4 << "Lowest valid frequency = 433.0625MHz => Span to large, lower end is cut";
}

void TestCliSweep::centreAndSpanPlaceTheWindowsPlan()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QString, type);
    QFETCH(QString, band);
    QFETCH(int, spacingItem);
    QFETCH(QString, centre);
    QFETCH(QString, span);
    QFETCH(int, slotCount);
    QFETCH(QString, notice);

    SimPort sim;
    QVERIFY(sim.start(simArguments));
    const CliResult result = runCli(
        {"sweep", "-p", sim.devicePath(), "--center", centre, "--span", span, "--sweeps", "2"});
    VERIFY_RUN(result, 0);
    QCOMPARE(result.err.trimmed(), notice);

    // The plan the window's frequency set lays for this module.
    FrequencySetRequest request;
    request.centreText = centre;
    request.spanText = span;
    request.frqVersion = band;
    request.typeLetter = type;
    request.spacingItem = spacingItem;
    request.locale = QLocale::c();
    const FrequencySetResult plan = frequencySet(request);
    QVERIFY(plan.placed());
    QCOMPARE(plan.items.size(), slotCount);
    const int carrier = simArguments.last().mid(1, 3).toInt();
    const int dbm = simArguments.last().mid(5).toInt();
    QVERIFY(plan.items.contains(carrier - 1));
    checkSweeps(rowsOf(result.out), 2, band, plan.items, {{carrier, dbm}});
}

void TestCliSweep::failuresEndWithTheirStatus_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QStringList>(
        "arguments"); // PORT: the emulator's path; DIR: a temporary folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QStringList b433{"--type", "B", "--band", "433"};
    // Wrong usage is found before the port is opened: the port given does not exist.
    const QStringList none{"sweep", "-p", "/dev/korvel-none"};
    QTest::newRow("autoset with a span")
        << QStringList{} << none + QStringList{"--autoset", "--center", "434", "--span", "300"} << 2
        << "sweep: --autoset excludes --center and --span";
    QTest::newRow("centre without span") << QStringList{} << none + QStringList{"--center", "434"}
                                         << 2 << "sweep: --center and --span go together";
    QTest::newRow("centre not a number")
        << QStringList{} << none + QStringList{"--center", "434,0", "--span", "300"} << 2
        << "Invalid entry! (Enter the center in MHz and the span in kHz as numbers)";
    QTest::newRow("negative span")
        << QStringList{} << none + QStringList{"--center", "434", "--span", "-300"} << 2
        << "Invalid entry! (The span must not be negative)";
    QTest::newRow("negative sweeps") << QStringList{} << none + QStringList{"--sweeps", "-1"} << 2
                                     << "--sweeps \"-1\": a whole number from 0";
    QTest::newRow("speed beyond the track bar")
        << QStringList{} << none + QStringList{"--speed", "11"} << 2
        << "--speed \"11\": a whole number from 0 to 10";
    QTest::newRow("no port") << QStringList{} << QStringList{"sweep"} << 2
                             << "sweep: no port given";
    QTest::newRow("missing port") << QStringList{} << none << 3 << "No such file or directory";

    QTest::newRow("silent module")
        << QStringList{"--silent"} << QStringList{"sweep", "-p", "PORT"} << 1
        << "stopped answering during the identification (5 attempts)";
    QTest::newRow("span too wide for the bandwidth")
        << b433 << QStringList{"sweep", "-p", "PORT", "--center", "433.925", "--span", "1675"} << 1
        << "Span to small for actual RBW! (Reduce span or raise radio datarate)";
    QTest::newRow("C module at a radio rate without a monitor step")
        << QStringList{"--type", "C", "--eeprom", "DIR/rate76800.eeprom"}
        << QStringList{"sweep", "-p", "PORT", "--center", "868.5", "--span", "100"} << 1
        << "No monitor step for the configured radio datarate! (Choose a datarate up to 38400)";
    QTest::newRow("span wholly below the band")
        << b433 << QStringList{"sweep", "-p", "PORT", "--center", "432", "--span", "100"} << 1
        << "no channel of the span lies in the module's 433 MHz band";
    QTest::newRow("CSV file in a missing folder")
        << b433 << QStringList{"sweep", "-p", "PORT", "--csv", "DIR/none/sweeps.csv"} << 2
        << "cannot write";
    QTest::newRow("module stops answering the signal-strength queries")
        << QStringList{"--type", "B", "--band", "433", "--fault", "silent:B00100:all"}
        << QStringList{"sweep", "-p", "PORT", "--debug"} << 1 << "Receive error";
}

void TestCliSweep::failuresEndWithTheirStatus()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QFile eeprom(dir.filePath(QStringLiteral("rate76800.eeprom")));
    QVERIFY(eeprom.open(QIODevice::WriteOnly));
    eeprom.write("0B 06\n");
    eeprom.close();
    simArguments.replaceInStrings(QStringLiteral("DIR"), dir.path());
    arguments.replaceInStrings(QStringLiteral("DIR"), dir.path());

    SimPort sim;
    QVERIFY(sim.start(simArguments));
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), sim.devicePath());
    const CliResult result = runCli(arguments);
    VERIFY_RUN(result, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    // Every error is one line, the last one.
    QCOMPARE(result.err.count(QStringLiteral("korvel-cli: ")), 1);
    QVERIFY(result.err.trimmed().split(QLatin1Char('\n')).last().startsWith("korvel-cli: "));
    // No rows: the header alone, where the sweep began at all.
    QVERIFY2(result.out.isEmpty() || result.out == kHeader + QLatin1Char('\n'),
             qPrintable(result.out));
    // A module that was swept is tuned back to its receive channel (70) whatever ended it.
    if (arguments.contains(QStringLiteral("--debug")))
        QCOMPARE(lastFrameSent(result.err), QStringLiteral("B0,09,46,"));
}

void TestCliSweep::signalKeepsWholeSweepsAndTunesBack_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QString>("receiveChannel");
    QTest::newRow("SIGINT, B module")
        << int(SIGINT) << QStringList{"--type", "B", "--band", "433"} << "46";
    QTest::newRow("SIGTERM, C module") << int(SIGTERM) << QStringList{"--type", "C"} << "50";
}

void TestCliSweep::signalKeepsWholeSweepsAndTunesBack()
{
    QFETCH(int, signal);
    QFETCH(QStringList, simArguments);
    QFETCH(QString, receiveChannel);

    SimPort sim;
    QVERIFY(sim.start(simArguments));
    CliProcess cli;
    cli.start({"sweep", "-p", sim.devicePath(), "--sweeps", "0", "--debug"});
    // Until interrupted: the signal comes in the middle of the third sweep or later.
    QString out;
    while (out.count(QLatin1Char('\n')) < 1 + 2 * 30 + 5 && cli.process().waitForReadyRead(20000))
        out += QString::fromUtf8(cli.process().readAllStandardOutput());
    cli.signal(signal);
    const CliResult result = cli.finish();
    out += result.out;
    VERIFY_RUN(result, 0);
    QVERIFY2(!result.err.contains(QStringLiteral("korvel-cli: ")), qPrintable(result.err));

    const QList<Row> rows = rowsOf(out);
    QVERIFY2(rows.size() >= 2 * 30 && rows.size() % 30 == 0, qPrintable(out.right(400)));
    for (int n = 0; n < rows.size(); ++n)
        QCOMPARE(rows[n].slot, n % 30 + 1);
    // The module listens on its configured receive channel again.
    QCOMPARE(lastFrameSent(result.err), QStringLiteral("B0,09,%1,").arg(receiveChannel));
}

// A script that reads the first rows and goes (korvel-cli sweep --sweeps 0 | head): the module
// is tuned back all the same.
void TestCliSweep::closedOutputStopsTheSweepAndTunesBack()
{
    SimPort sim;
    QVERIFY(sim.start({"--type", "B", "--band", "433"}));
    QTemporaryDir dir;
    const QString err = dir.filePath(QStringLiteral("err"));
    const QString status = dir.filePath(QStringLiteral("status"));
    const QString out = dir.filePath(QStringLiteral("out"));
    QProcess shell;
    shell.start(QStringLiteral("sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("{ \"$0\" sweep -p \"$1\" --sweeps 0 --debug 2>\"$2\"; echo $? "
                                ">\"$3\"; } | head -n 31 >\"$4\""),
                 CliProcess::program({sim.devicePath()}), sim.devicePath(), err, status, out});
    QVERIFY(shell.waitForFinished(60000));
    QCOMPARE(rowsOf(fileText(out)).size(), 30);
    QCOMPARE(fileText(status).trimmed(), QStringLiteral("2"));
    const QString log = fileText(err);
    QVERIFY2(log.trimmed().endsWith(QStringLiteral(
                 "korvel-cli: cannot write standard output: Broken pipe (the output is "
                 "incomplete)")),
             qPrintable(log.right(300)));
    QCOMPARE(lastFrameSent(log), QStringLiteral("B0,09,46,"));
}

QTEST_MAIN(TestCliSweep)
#include "tst_cli_sweep.moc"
