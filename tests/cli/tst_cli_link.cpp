// korvel-cli link against the emulated C module, which answers each "L" for itself and the free
// module with the levels and the losses it is given. Where the test counts losses the answer
// comes 100 ms after the request, far from the purge (20 ms) and from the read (200 ms). A lost
// port needs korvel-sim on a pseudo-terminal that goes away.

#include "support_cli.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace
{

QStringList csvRows(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(1); // without the header
}

// The cycle numbers the CSV marks as lost.
QList<int> lostInCsv(const QStringList &rows)
{
    QList<int> lost;
    for (const QString &row : rows) {
        const QStringList fields = row.split(QLatin1Char(','));
        if (fields.value(2) == QLatin1String("lost"))
            lost << fields.value(1).toInt();
    }
    return lost;
}

// From the module's log: every "L" it took, and which of them it left without an answer.
struct SimExchanges {
    int requests = 0;
    QList<int> unanswered;
};
SimExchanges exchangesInLog(const QString &log)
{
    SimExchanges x;
    bool answered = true;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() < 3 || fields[2] != QLatin1String("4C"))
            continue;
        if (fields[1] == QLatin1String("rx")) {
            if (!answered)
                x.unanswered << x.requests;
            ++x.requests;
            answered = false;
        } else if (fields[1] == QLatin1String("tx")) {
            answered = true;
        }
    }
    if (!answered)
        x.unanswered << x.requests;
    return x;
}

// The module's whole log, once it has ended.
SimExchanges exchangesOf(SimPort &sim)
{
    sim.stop();
    return exchangesInLog(sim.log());
}

// Whether the process is stopped (SIGSTOP), from its state in /proc.
QJsonObject stat(double min, double mean, double max)
{
    return {{"min", min}, {"mean", mean}, {"max", max}};
}

QJsonObject levels(int signal, int noise)
{
    return {{"signalDbm", stat(signal, signal, signal)},
            {"noiseDbm", stat(noise, noise, noise)},
            {"snrDb", stat(signal - noise, signal - noise, signal - noise)}};
}

} // namespace

class TestCliLink : public QObject
{
    Q_OBJECT
private slots:
    void summaryAndCsvFollowTheModule_data();
    void summaryAndCsvFollowTheModule();
    void signalStopsLikeTheWindowsStop_data();
    void signalStopsLikeTheWindowsStop();
    void secondSignalEndsAtOnce();
    void lostPortEndsTheRunWithStatus3();
    void refusalsAndLimits();
};

void TestCliLink::summaryAndCsvFollowTheModule_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("lost");
    QTest::addColumn<QJsonValue>("module2");
    QTest::newRow("5 bytes, every fourth lost")
        << "bytes=5,s1=-70,n1=-104,s2=-72,n2=-106,loss=0.25,delay=100" << 2
        << QJsonValue(levels(-72, -106));
    QTest::newRow("7 bytes, every second lost")
        << "bytes=7,s1=-81,n1=-110,s2=-60,n2=-99,loss=0.5,delay=100" << 4
        << QJsonValue(levels(-60, -99));
    QTest::newRow("3 bytes: no free module")
        << "bytes=3,s1=-90,n1=-100,loss=0.25,delay=100" << 2 << QJsonValue(QJsonValue::Null);
}

void TestCliLink::summaryAndCsvFollowTheModule()
{
    QFETCH(QString, link);
    QFETCH(int, lost);
    QFETCH(QJsonValue, module2);
    SimPort sim;
    QVERIFY(sim.start({"--type", "C", "--link", link}));
    QTemporaryDir dir;
    const QString csv = dir.filePath("link.csv");

    const CliResult result = runCli({"link", "-p", sim.devicePath(), "--cycles", "8", "--interval",
                                     "200", "--csv", csv, "--json"});
    VERIFY_RUN(result, 0);
    const QJsonObject summary = QJsonDocument::fromJson(result.out.toUtf8()).object();
    QCOMPARE(summary.value("intervalMs").toInt(), 200);
    QCOMPARE(summary.value("sent").toInt(), 8);
    QCOMPARE(summary.value("received").toInt(), 8 - lost);
    QCOMPARE(summary.value("lost").toInt(), lost);
    QCOMPARE(summary.value("lostPercent").toDouble(), lost * 100.0 / 8);
    QMap<QString, int> level;
    for (const QString &pair : link.split(',')) {
        const QStringList kv = pair.split('=');
        level[kv[0]] = kv[1].toInt();
    }
    QCOMPARE(summary.value("module1"), QJsonValue(levels(level["s1"], level["n1"])));
    QCOMPARE(summary.value("module2"), module2);
    // How late the PC ran the cycles, so that a busy PC is told from a bad link.
    const QJsonObject late = summary.value("pcLate").toObject();
    QCOMPARE(late.value("thresholdMs").toDouble(), 2.0);
    QVERIFY(late.value("lateCycles").isDouble() && late.value("latestStepMs").isDouble());

    // One row per cycle, lost exactly where the module gave no answer, and no "L" beyond them.
    const QStringList rows = csvRows(csv);
    QCOMPARE(rows.size(), 8);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i].section(',', 1, 1).toInt(), i + 1);
    const SimExchanges exchanges = exchangesOf(sim);
    QCOMPARE(exchanges.requests, 8);
    QCOMPARE(lostInCsv(rows), exchanges.unanswered);
    QCOMPARE(lostInCsv(rows).size(), lost);
}

void TestCliLink::signalStopsLikeTheWindowsStop_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    // A terminal or SSH session that closes.
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestCliLink::signalStopsLikeTheWindowsStop()
{
    QFETCH(int, signal);
    SimPort sim;
    QVERIFY(sim.start({"--type", "C", "--link", "loss=0.25,delay=100"}));
    QTemporaryDir dir;
    const QString csv = dir.filePath("link.csv");
    CliProcess cli;
    cli.start({"link", "-p", sim.devicePath(), "--interval", "200", "--csv", csv});
    // The rows reach the file once a second: a few cycles have run.
    QTRY_VERIFY_WITH_TIMEOUT(csvRows(csv).size() >= 3, 20000);
    cli.signal(signal);
    const CliResult result = cli.finish(10000);
    VERIFY_RUN(result, 0);

    // The summary counts every cycle of the file, the last one included: its answer was read,
    // and no "L" went out after it.
    // The module takes commands again.
    VERIFY_RUN(runCli({"identify", "-p", sim.devicePath()}), 0);
    const QStringList rows = csvRows(csv);
    const SimExchanges exchanges = exchangesOf(sim);
    QVERIFY2(result.out.contains(QStringLiteral("sent: %1\n").arg(rows.size())),
             qPrintable(result.out));
    QCOMPARE(exchanges.requests, int(rows.size()));
    const int lost = int(lostInCsv(rows).size());
    QCOMPARE(lostInCsv(rows), exchanges.unanswered);
    QVERIFY2(result.out.contains(
                 QStringLiteral("received: %1\nlost: %2\n").arg(rows.size() - lost).arg(lost)),
             qPrintable(result.out));
    QVERIFY(result.out.contains("module 1 signal: min -70, mean -70.0, max -70 dBm\n"));
    QVERIFY(result.out.contains("module 2 SNR: min 34, mean 34.0, max 34 dB\n"));
}

void TestCliLink::secondSignalEndsAtOnce()
{
    SimPort sim;
    QVERIFY(sim.start({"--type", "C"}));
    QTemporaryDir dir;
    const QString csv = dir.filePath("link.csv");
    CliProcess cli;
    cli.start({"link", "-p", sim.devicePath(), "--csv", csv});
    QTRY_VERIFY_WITH_TIMEOUT(!csvRows(csv).isEmpty(), 20000);
    // Both signals wait while the program is stopped, so the second comes before the first can
    // have ended the run, however the machine schedules the program.
    const qint64 pid = cli.process().processId();
    cli.signal(SIGSTOP);
    QTRY_VERIFY(isStopped(pid));
    cli.signal(SIGTERM);
    cli.signal(SIGINT);
    cli.signal(SIGCONT);
    const CliResult result = cli.finish(10000);
    QVERIFY(result.finished);
    QVERIFY2(result.exitCode == 128 + SIGINT || result.exitCode == 128 + SIGTERM,
             qPrintable(QString::number(result.exitCode)));
    // No summary: the run did not get to its end.
    QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
}

void TestCliLink::lostPortEndsTheRunWithStatus3()
{
    SimProcess sim;
    QVERIFY(sim.start({"--type", "C", "--link", "delay=100"}));
    QTemporaryDir dir;
    const QString csv = dir.filePath("link.csv");
    CliProcess cli;
    cli.start({"link", "-p", sim.devicePath(), "--interval", "200", "--csv", csv});
    QTRY_VERIFY_WITH_TIMEOUT(csvRows(csv).size() >= 2, 20000);
    // The module goes away in the middle of the run, as an adapter pulled out.
    sim.stop();
    const CliResult result = cli.finish(10000);
    VERIFY_RUN(result, 3);
    QCOMPARE(result.err.count(QStringLiteral("korvel-cli: ")), 1);
    // What was measured is still told, and every cycle of it is in the file.
    const int sent = result.out.section("sent: ", 1).section('\n', 0, 0).toInt();
    QVERIFY2(sent >= 2, qPrintable(result.out));
    QCOMPARE(int(csvRows(csv).size()), sent);
}

void TestCliLink::refusalsAndLimits()
{
    SimPort simB;
    QVERIFY(simB.start({"--type", "B"}));
    const CliResult b = runCli({"link", "-p", simB.devicePath(), "--cycles", "3"});
    VERIFY_RUN(b, 1);
    QCOMPARE(b.out, QString());
    QVERIFY2(b.err.contains("LinkControl only works with transceiver version C!") &&
                 b.err.count('\n') == 1,
             qPrintable(b.err));
    QCOMPARE(exchangesOf(simB).requests, 0);

    SimPort sim;
    QVERIFY(sim.start({"--type", "C"}));
    VERIFY_RUN(runCli({"link", "-p", sim.devicePath(), "--cycles", "3", "--seconds", "1"}), 2);
    VERIFY_RUN(runCli({"link", "-p", sim.devicePath(), "--interval", "60001"}), 2);
    // Below 1 ms, as the window does when the user keeps a short interval: 1 ms, with a note.
    {
        SimPort shortRun;
        QVERIFY(shortRun.start({"--type", "C"}));
        const CliResult zero =
            runCli({"link", "-p", shortRun.devicePath(), "--interval", "0", "--cycles", "2"});
        VERIFY_RUN(zero, 0);
        QVERIFY2(zero.out.startsWith("interval: 1 ms\nsent: 2\n"), qPrintable(zero.out));
        QVERIFY2(
            zero.err.contains("--interval 0: a cycle waits at least 1 ms; the run uses 1 ms.") &&
                zero.err.contains("The minimal interval for actual configuration is 49 ms"),
            qPrintable(zero.err));
    }
    QTemporaryDir dir;
    VERIFY_RUN(runCli({"link", "-p", sim.devicePath(), "--csv", dir.path()}), 2);

    // Half a second at the default interval, the window's minimum for radio 9600 and serial
    // 19200: 49 ms, so ten cycles at most; a busy machine may notice the deadline a cycle or two
    // late, but a run that ignored it would go on for far more. The text form.
    const CliResult timed = runCli({"link", "-p", sim.devicePath(), "--seconds", "0.5"});
    VERIFY_RUN(timed, 0);
    const QRegularExpression form(QStringLiteral(
        "^interval: 49 ms\nsent: (\\d+)\nreceived: (\\d+)\nlost: (\\d+)\nlost %: [0-9.]+\n"
        "PC late: \\d+ cycles, latest step [0-9.]+ ms\n"));
    const QRegularExpressionMatch match = form.match(timed.out);
    QVERIFY2(match.hasMatch(), qPrintable(timed.out));
    const int sent = match.captured(1).toInt();
    QVERIFY2(sent >= 1 && sent <= 14, qPrintable(timed.out));
    QCOMPARE(match.captured(2).toInt() + match.captured(3).toInt(), sent);
    QCOMPARE(exchangesOf(sim).requests, sent);
}

QTEST_MAIN(TestCliLink)
#include "tst_cli_link.moc"
