// korvel-cli carrier against the emulated module (korvel-sim where the port goes away): the
// carrier goes on and off as the window's does, the module ends in receive with the
// configuration it had, and failures end with their status.

#include "support_cli.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

namespace
{

// The frames the module received, in order, as "B0 0D 00", with the second of each.
struct Received {
    QStringList frames;
    QList<double> seconds;

    explicit Received(const QString &log)
    {
        static const QRegularExpression line(
            QStringLiteral("^\\s*([0-9.]+) rx (B0 [0-9A-F]{2} [0-9A-F]{2})\\s*$"),
            QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(log); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            seconds << match.captured(1).toDouble();
            frames << match.captured(2);
        }
    }
    qsizetype first(const QString &frame) const { return frames.indexOf(frame); }
    qsizetype last(const QString &frame) const { return frames.lastIndexOf(frame); }
    // The last frame that starts with prefix ("B0 0D"), or nothing.
    QString lastOf(const QString &prefix) const
    {
        for (qsizetype i = frames.size() - 1; i >= 0; --i) {
            if (frames[i].startsWith(prefix))
                return frames[i];
        }
        return {};
    }
};

// The configuration registers as a fresh connection reads them: what the EEPROM holds.
QJsonObject registersRead(const QString &device)
{
    const CliResult read = runCli({"read", "-p", device, "--json"});
    if (read.exitCode != 0)
        return {};
    return QJsonDocument::fromJson(read.out.toUtf8()).object().value("registers").toObject();
}

enum class Stop { Time, Sigterm, Sigint };

} // namespace
Q_DECLARE_METATYPE(Stop)

class TestCliCarrier : public QObject
{
    Q_OBJECT
private slots:
    void endsInReceiveWithItsConfiguration_data();
    void endsInReceiveWithItsConfiguration();
    void failuresEndWithTheirStatus_data();
    void failuresEndWithTheirStatus();
    void lostPortEndsWithStatus3();
    void stopDuringAnExchangeWaitsForItsEnd();
};

void TestCliCarrier::endsInReceiveWithItsConfiguration_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Stop>("stop");
    QTest::addColumn<QString>("changed");  // the register write of the carrier, or empty
    QTest::addColumn<QString>("restored"); // the write that brings the register back
    QTest::addColumn<QString>("summary");  // the line on standard output, without the time

    // The emulated B module codes in Manchester, the C module has all data options off.
    QTest::newRow("B unmodulated for a second: NRZ until the end")
        << "B" << QStringList{"--mode", "unmodulated", "--seconds", "1"} << Stop::Time << "B0 0D 00"
        << "B0 0D 01"
        << "carrier: unmodulated, continuous, ";
    QTest::newRow("B modulated alternating, SIGTERM: Manchester serves")
        << "B" << QStringList{"--mode", "modulated", "--tx-ms", "20", "--rx-ms", "30"}
        << Stop::Sigterm << QString() << QString() << "carrier: modulated, alternating, ";
    QTest::newRow("C modulated for a second: handshake and fast-send until the end")
        << "C" << QStringList{"--mode", "modulated", "--seconds", "1"} << Stop::Time << "B0 10 06"
        << "B0 10 00"
        << "carrier: modulated, continuous, ";
    QTest::newRow("C unmodulated, SIGINT")
        << "C" << QStringList{"--mode", "unmodulated"} << Stop::Sigint << "B0 10 06"
        << "B0 10 00"
        << "carrier: unmodulated, continuous, ";
    // Periods of 300 ms: the second ends well inside a wait, never in the middle of a burst.
    QTest::newRow("C alternating 100 ms / 200 ms for a second")
        << "C" << QStringList{"--mode",  "unmodulated", "--tx-ms",   "100",
                              "--rx-ms", "200",         "--seconds", "1"}
        << Stop::Time << "B0 10 06"
        << "B0 10 00"
        << "carrier: unmodulated, alternating, ";
}

void TestCliCarrier::endsInReceiveWithItsConfiguration()
{
    QFETCH(QString, type);
    QFETCH(QStringList, arguments);
    QFETCH(Stop, stop);
    QFETCH(QString, changed);
    QFETCH(QString, restored);
    QFETCH(QString, summary);
    const bool cModule = type == "C";
    const bool modulated = arguments.contains("modulated");
    const bool alternating = arguments.contains("--tx-ms");

    SimPort sim;
    QVERIFY(sim.start({"--type", type}));
    const QJsonObject before = registersRead(sim.devicePath());
    QVERIFY(!before.isEmpty());
    QString log = sim.log();

    CliProcess cli;
    cli.start(QStringList{"carrier", "-p", sim.devicePath()} + arguments);
    if (stop != Stop::Time) {
        // Well into the run: several switches of the alternation, or a second of the stream.
        const auto running = [&] {
            log += sim.log();
            return cModule ? log.contains("carrier stream running")
                           : Received(log).frames.filter("B0 20 ").size() >= 6;
        };
        QTRY_VERIFY_WITH_TIMEOUT(running(), 20000);
        cli.signal(stop == Stop::Sigterm ? SIGTERM : SIGINT);
    }
    const CliResult result = cli.finish();
    VERIFY_RUN(result, 0);
    QVERIFY2(result.out.startsWith(summary), qPrintable(result.out));
    QVERIFY2(result.err.contains(changed.isEmpty()
                                     ? "carrier off: the module is back in receive\n"
                                     : "carrier off: the module is back in receive, its "
                                       "configuration restored\n"),
             qPrintable(result.err));

    // A fresh connection finds the configuration as before: the carrier wrote RAM only.
    QCOMPARE(registersRead(sim.devicePath()), before);
    sim.stop();
    log += sim.log();
    const Received received(log);

    if (!changed.isEmpty()) {
        // Changed before the carrier went on, and the last word on the register is the old value.
        QVERIFY2(received.first(changed) >= 0, qPrintable(received.frames.join('|')));
        QCOMPARE(received.lastOf(changed.left(5)), restored);
    } else {
        QVERIFY(received.frames.filter("B0 0D ").isEmpty());
    }
    if (cModule) {
        // B0 20 would put a C module to sleep: it is fed, not switched.
        QVERIFY(received.frames.filter("B0 20 ").isEmpty());
        QVERIFY(received.first(changed) < received.last(restored));
        static const QRegularExpression ended(
            "carrier stream ended: (\\d+) bytes \\(FF (\\d+), AA (\\d+)\\)");
        const QRegularExpressionMatch match = ended.match(log);
        QVERIFY2(match.hasMatch(), qPrintable(log.right(2000)));
        const qint64 bytes = match.captured(1).toLongLong();
        QVERIFY(bytes > 0);
        QCOMPARE(match.captured(modulated ? 3 : 2).toLongLong(), bytes);
        // The alternation feeds 100 bytes at the start of each period (radio rate 9600): about
        // four periods begin within the second, each with its whole burst.
        if (alternating) {
            QCOMPARE(bytes % 100, 0);
            QVERIFY2(bytes >= 300 && bytes <= 500, qPrintable(QString::number(bytes)));
        }
    } else {
        // On at the start, and off after the last time it went on.
        const qsizetype on = received.last("B0 20 01");
        QVERIFY(on >= 0);
        QCOMPARE(received.lastOf("B0 20 "), QStringLiteral("B0 20 00"));
        const qsizetype off = received.frames.indexOf("B0 20 00", on);
        QVERIFY(off > on);
        if (!changed.isEmpty())
            QVERIFY(received.first(changed) < received.first("B0 20 01") &&
                    received.last(restored) > off);
        if (!alternating)
            QVERIFY2(received.seconds[off] - received.seconds[on] >= 0.9,
                     qPrintable(QString::number(received.seconds[off] - received.seconds[on])));
    }
}

void TestCliCarrier::failuresEndWithTheirStatus_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QByteArray>("eeprom");     // the module's EEPROM file, or empty
    QTest::addColumn<QStringList>("arguments"); // PORT stands for the emulator's path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("notSent"); // frame prefixes the module must not see

    const QStringList b{"--type", "B"};
    const QStringList c{"--type", "C"};
    QTest::newRow("unknown mode") << b << QByteArray() << QStringList{"--mode", "loud"} << 2
                                  << "carrier: --mode \"loud\": unmodulated or modulated"
                                  << QStringList{"B0"};
    QTest::newRow("no mode") << b << QByteArray() << QStringList{"--seconds", "1"} << 2
                             << "no mode given" << QStringList{"B0"};
    QTest::newRow("transmit time alone")
        << b << QByteArray() << QStringList{"--mode", "modulated", "--tx-ms", "10"} << 2
        << "--tx-ms and --rx-ms go together" << QStringList{"B0"};
    QTest::newRow("receive time beyond a minute")
        << b << QByteArray()
        << QStringList{"--mode", "modulated", "--tx-ms", "10", "--rx-ms", "60001"} << 2
        << "--rx-ms \"60001\": a whole number from 1 to 60000" << QStringList{"B0"};
    QTest::newRow("no time") << b << QByteArray()
                             << QStringList{"--mode", "modulated", "--seconds", "0"} << 2
                             << "--seconds \"0\"" << QStringList{"B0"};
    QTest::newRow("silent module")
        << QStringList{"--silent"} << QByteArray()
        << QStringList{"--mode", "modulated", "--seconds", "1"} << 1
        << "stopped answering during the identification" << QStringList{"B0 20", "B0 10"};
    // The switch to transmit is never answered: five attempts, then the module is left alone.
    QTest::newRow("switch not answered")
        << QStringList{"--type", "B", "--fault", "silent:B020:all"} << QByteArray()
        << QStringList{"--mode", "modulated", "--seconds", "1"} << 1
        << "did not answer the transmitter switch (5 attempts)" << QStringList{"B0 20 00"};
    QTest::newRow("transmit time too short for the radio rate")
        << c << QByteArray() << QStringList{"--mode", "modulated", "--tx-ms", "7", "--rx-ms", "50"}
        << 1 << "--tx-ms 7 is too short for the radio rate of 9600 baud" << QStringList{"B0 10"};
    QTest::newRow("line not faster than the radio")
        << c << QByteArray("0C 03\n")
        << QStringList{"--mode", "unmodulated", "--seconds", "1", "-b", "9600"} << 1
        << "the PC's rate (9600 baud) must be higher than the module's radio rate (9600 baud)"
        << QStringList{"B0 10"};
}

void TestCliCarrier::failuresEndWithTheirStatus()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QByteArray, eeprom);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QStringList, notSent);

    QTemporaryDir dir;
    if (!eeprom.isEmpty()) {
        QFile file(dir.filePath("eeprom.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(eeprom);
        file.close();
        simArguments << "--eeprom" << file.fileName();
    }
    SimPort sim;
    QVERIFY(sim.start(simArguments));
    const CliResult result =
        runCli(QStringList{"carrier", "-p", sim.devicePath()} + arguments, 30000);
    VERIFY_RUN(result, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    // Every error is one line, and nothing went to standard output.
    QCOMPARE(result.err.count("korvel-cli: "), 1);
    QVERIFY(result.err.trimmed().split('\n').last().startsWith("korvel-cli: "));
    QCOMPARE(result.out, QString());
    sim.stop();
    const Received received(sim.log());
    for (const QString &prefix : notSent)
        QVERIFY2(received.lastOf(prefix).isEmpty(), qPrintable(received.frames.join('|')));
}

void TestCliCarrier::lostPortEndsWithStatus3()
{
    SimProcess sim;
    QVERIFY(sim.start({"--type", "C"}));
    CliProcess cli;
    cli.start({"carrier", "-p", sim.devicePath(), "--mode", "unmodulated"});
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT((log += sim.log()).contains("carrier stream running"), 20000);
    // The adapter goes away under the running stream.
    sim.stop();
    const CliResult result = cli.finish(20000);
    VERIFY_RUN(result, 3);
    QCOMPARE(result.err.count("korvel-cli: "), 1);
    QCOMPARE(result.out, QString());
}

void TestCliCarrier::stopDuringAnExchangeWaitsForItsEnd()
{
    // A slow module: nearly all of each phase is the switch's exchange, so SIGTERM comes while
    // the program waits for an answer.
    SimPort sim;
    QVERIFY(sim.start({"--type", "B", "--processing-ms", "150"}));
    CliProcess cli;
    cli.start({"carrier", "-p", sim.devicePath(), "--mode", "unmodulated", "--tx-ms", "20",
               "--rx-ms", "20"});
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT(Received(log += sim.log()).frames.filter("B0 20 ").size() >= 3, 30000);
    cli.signal(SIGTERM);
    const CliResult result = cli.finish();
    VERIFY_RUN(result, 0);
    sim.stop();
    log += sim.log();

    // No frame goes out before the module has answered the one before.
    QString unanswered;
    for (const QString &line : log.split('\n')) {
        const QString text = line.trimmed().section(' ', 1);
        if (text.startsWith("rx B0 ")) {
            QVERIFY2(unanswered.isEmpty(), qPrintable(unanswered + " before " + text));
            unanswered = text;
        } else if (text.startsWith("tx ")) {
            unanswered.clear();
        }
    }
    const Received received(log);
    QCOMPARE(received.lastOf("B0 20 "), QStringLiteral("B0 20 00"));
    QCOMPARE(received.lastOf("B0 0D "), QStringLiteral("B0 0D 01"));
}

QTEST_MAIN(TestCliCarrier)
#include "tst_cli_carrier.moc"
