// korvel-cli on a production line, against the emulated module, and against korvel-sim where a
// real terminal is needed: nothing that goes wrong around the module (lost output, a closed
// terminal, a second program, closed descriptors, a stray word, a bad file, a broken pipe) may
// end with a status a line would trust.

#include "support_cli.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Lines = QMap<int, QString>;

namespace
{

// Whether the module has received any frame since its log was last read: the module was touched.
bool touched(const SimPort &sim)
{
    return sim.log().contains(QRegularExpression(QStringLiteral(" rx ")));
}

// A stored configuration of the module, read by korvel-cli, with the given lines replaced
// (1-based line numbers, as the file's layout counts them).
QString configurationOf(const SimPort &sim, const QString &path, const Lines &lines = {})
{
    if (runCli({"read", "-p", sim.devicePath(), "-o", path}).exitCode != 0)
        return {};
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList text = QString::fromLatin1(file.readAll()).split("\r\n");
    file.close();
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        text[it.key() - 1] = it.value();
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.join("\r\n").toLatin1());
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// Waits until korvel-cli has said text on standard error (at most 20 s).
bool saidOnError(CliProcess &cli, const char *text)
{
    cli.process().setReadChannel(QProcess::StandardError);
    const QDeadlineTimer deadline(20000);
    while (!cli.process().peek(1 << 16).contains(text)) {
        if (!cli.process().waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return true;
}

// Runs korvel-cli, set up by `prepare` before it starts.
CliResult runPrepared(const QStringList &arguments, const std::function<void(QProcess &)> &prepare)
{
    CliProcess cli;
    prepare(cli.process());
    cli.start(arguments);
    return cli.finish();
}

// Every key of every command with its one type, as the manual page's JSON OUTPUT lists them:
// s string, n number, b bool, o object, a array, N number or null, O object or null.
const QString kSchema = QStringLiteral(
    "command:s port:s type:s designation:s serialNumber:n softwareVersion:s commandSet:n "
    "hardware:n hardwareText:s speed:s band:n calibration:s info:s registers:o b:o c:o file:s "
    "eeprom:b refused:n baud:n verified:b mismatches:o written:n read:N test:s value:n unit:s "
    "text:s intervalMs:n sent:n received:n lost:n lostPercent:n module1:O module2:O pcLate:o "
    "signalDbm:o noiseDbm:o snrDb:o min:n mean:n max:n lateCycles:n latestStepMs:n "
    "thresholdMs:n timestamp:s slots:a slot:n channel:n frequencyMhz:n levelDbm:n peakDbm:n "
    "mode:s alternating:b transmitMs:N receiveMs:N carrierMs:n ports:a kind:s description:s "
    "device:s");

QChar kindOf(const QJsonValue &value)
{
    return QLatin1Char(value.isString()   ? 's'
                       : value.isDouble() ? 'n'
                       : value.isBool()   ? 'b'
                       : value.isObject() ? 'o'
                       : value.isArray()  ? 'a'
                                          : '-');
}

// The keys of the object and of the objects within it that the schema does not know or whose
// value has another type. The configuration page items of "b" and "c" are numbers and texts by
// the window's boxes; register numbers are keys ("0x0B").
QStringList schemaFaults(const QJsonObject &object, const QString &path = {})
{
    static QHash<QString, QChar> types;
    for (const QString &entry : kSchema.split(QLatin1Char(' ')))
        types.insert(entry.section(QLatin1Char(':'), 0, 0), entry.back());
    static const QRegularExpression registerKey(QStringLiteral("^0x[0-9A-F]{2}$"));
    QStringList faults;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString where = path + it.key();
        const QChar kind = kindOf(*it);
        const QChar type = types.value(it.key());
        const bool ok =
            path == QLatin1String("b.") || path == QLatin1String("c.")
                ? kind == QLatin1Char('n') || kind == QLatin1Char('s')
            : registerKey.match(it.key()).hasMatch()
                ? kind == QLatin1Char('n') || kind == QLatin1Char('o')
                : kind == type || (it->isNull() && type.isUpper()) || kind == type.toLower();
        if (!ok)
            faults << where;
        if (it->isObject())
            faults << schemaFaults(it->toObject(), where + QLatin1Char('.'));
        for (const QJsonValue &entry : it->toArray())
            faults << schemaFaults(entry.toObject(), where + QLatin1String("[]."));
    }
    return faults;
}

} // namespace

class TestCliLine : public QObject
{
    Q_OBJECT
private slots:
    void lostOutputEndsWithStatus2();
    void secondInterruptDoesNotCutAWrite();
    void secondProgramOnTheSameDeviceIsRefused();
    void closedDescriptorsKeepMessagesOffThePort();
    void usageErrorsLeaveTheModuleAlone();
    void failuresSayWhatTheModuleDid_data();
    void failuresSayWhatTheModuleDid();
    void portLostDuringRecalibrationIsToldAtOnce();
    void eepromWriteIsVerifiedAfterAPowerCycle();
    void filesPipesAndEarlyInterruptsLeaveNothingBehind();
    void everyCommandsJsonFollowsOneSchema();
};

void TestCliLine::lostOutputEndsWithStatus2()
{
    SimPort sim;
    QVERIFY(sim.start({"--type", "C"}));
    QTemporaryDir dir;
    const QString file = configurationOf(sim, dir.filePath("c.txt"));
    QVERIFY(!file.isEmpty());
    const QString port = sim.devicePath();
    const QList<QStringList> commands{
        {"--help"},
        {"write", "--help"},
        {"ports"},
        {"identify", "-p", port},
        {"read", "-p", port, "--json"},
        {"test", "temperature", "-p", port},
        {"link", "-p", port, "--cycles", "3"},
        {"write", "-p", port, "-i", file},
        {"sweep", "-p", port, "--json"},
        {"carrier", "-p", port, "--mode", "unmodulated", "--seconds", "0.2"},
    };
    for (const QStringList &command : commands) {
        const CliResult result = runPrepared(
            command, [](QProcess &process) { process.setStandardOutputFile("/dev/full"); });
        QVERIFY2(result.finished && result.exitCode == 2,
                 qPrintable(command.join(' ') + ": " + QString::number(result.exitCode)));
        QVERIFY2(result.err.contains("korvel-cli: cannot write standard output: No space left on "
                                     "device (the output is incomplete)\n"),
                 qPrintable(result.err));
    }
}

void TestCliLine::secondInterruptDoesNotCutAWrite()
{
    // A slow module: the write of its eight registers takes more than a second.
    SimPort sim;
    QVERIFY(sim.start({"--type", "C", "--processing-ms", "150"}));
    QTemporaryDir dir;
    const QString file = configurationOf(sim, dir.filePath("c.txt"));
    QVERIFY(!file.isEmpty());
    for (const int count : {2, 3}) {
        CliProcess cli;
        cli.start({"write", "-p", sim.devicePath(), "-i", file, "--eeprom"});
        QVERIFY(saidOnError(cli, "writing 8 registers"));
        // The signals wait while the program is stopped: they all come during the write.
        cli.signal(SIGSTOP);
        QTRY_VERIFY(isStopped(cli.process().processId()));
        const int sent[] = {SIGINT, SIGHUP, SIGTERM};
        for (int i = 0; i < count; ++i)
            cli.signal(sent[i]);
        cli.signal(SIGCONT);
        const CliResult result = cli.finish();
        if (count == 2) {
            VERIFY_RUN(result, 0);
            QVERIFY2(result.out.contains("written: 8 registers into RAM and EEPROM"),
                     qPrintable(result.out));
            QVERIFY2(result.err.contains("interrupt once more to end at once"),
                     qPrintable(result.err));
        } else {
            QVERIFY2(result.finished && result.exitCode > 128, qPrintable(result.err));
            QVERIFY(!result.out.contains("written:"));
        }
    }
}

void TestCliLine::secondProgramOnTheSameDeviceIsRefused()
{
    SimProcess sim;
    QVERIFY(sim.start({"--type", "C"}));
    QTemporaryDir dir;
    const QString otherName = dir.filePath("ttyUSB-by-id");
    QVERIFY(QFile::link(sim.devicePath(), otherName));
    CliProcess link;
    link.start({"link", "-p", sim.devicePath(), "--json"});
    QVERIFY(saidOnError(link, "LinkControl on"));
    // The run's own frames before its first "L" have all been answered: they are in the log.
    sim.log();
    for (const QString &name : {otherName, sim.devicePath()}) {
        const CliResult second = runCli({"identify", "-p", name});
        VERIFY_RUN(second, 3);
        QVERIFY2(second.err.contains("another program uses the port"), qPrintable(second.err));
    }
    link.signal(SIGINT);
    const CliResult run = link.finish();
    VERIFY_RUN(run, 0);
    // The refused programs sent nothing: the module took no frame but the run's "L" (whether
    // each answer came back in time depends on how the machine runs the pseudo-terminal).
    QVERIFY(!sim.log().contains(QRegularExpression(" rx (?!4C\n)")));
    // Once the first has let go, the device is free.
    VERIFY_RUN(runCli({"identify", "-p", otherName}), 0);
}

void TestCliLine::closedDescriptorsKeepMessagesOffThePort()
{
    SimProcess sim;
    QVERIFY(sim.start({"--type", "C"}));
    CliProcess cli;
    cli.process().setChildProcessModifier([] {
        ::close(0);
        ::close(1);
        ::close(2);
    });
    cli.start({"link", "-p", sim.devicePath(), "--debug"});
    const QString fds = QStringLiteral("/proc/%1/fd/").arg(cli.process().processId());
    const auto descriptorOf = [&fds](const QString &target) {
        for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == target)
                return fd.fileName().toInt();
        return -1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(descriptorOf(sim.devicePath()) >= 0, 20000);
    // Messages and results go nowhere rather than to the module or into the program's own
    // descriptors.
    QVERIFY(descriptorOf(sim.devicePath()) > 2);
    for (int fd = 0; fd <= 2; ++fd)
        QCOMPARE(QFileInfo(fds + QString::number(fd)).symLinkTarget(), QStringLiteral("/dev/null"));
    cli.signal(SIGINT);
    VERIFY_RUN(cli.finish(), 0);
    QVERIFY(!sim.log().contains("rx ignored"));
}

void TestCliLine::usageErrorsLeaveTheModuleAlone()
{
    SimPort sim;
    QVERIFY(sim.start({"--type", "C"}));
    QTemporaryDir dir;
    const QString file = configurationOf(sim, dir.filePath("c.txt"));
    QVERIFY(!file.isEmpty());
    QByteArray binary(5000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 37 + 11) % 256);
    const QString port = sim.devicePath();
    const QString bad = dir.filePath("bad.txt");
    // A stray word, an option twice, a file that is no stored configuration (bad.txt holds the
    // bytes).
    const QList<std::tuple<QStringList, QByteArray, QString>> cases{
        {{"write", "-p", port, "-i", file, "eeprom", "verify"}, {}, "unexpected \"eeprom\""},
        {{"identify", "-p", "/dev/korvel-none", "-p", port}, {}, "-p given twice"},
        {{"-p", port, "identify", "--port", port}, {}, "-p given twice"},
        {{"link", "-p", port, "--cycles", "1", "--cycles", "2"}, {}, "--cycles given twice"},
        {{"ports", "all"}, {}, "unexpected \"all\""},
        {{"write", "-p", port, "-i", bad}, "", "the file is empty"},
        {{"write", "-p", port, "-i", bad}, binary, "line 2 names no module type (B, C or x)"},
        {{"write", "-p", port, "-i", bad},
         "line 7\r\nC\r\n80\r\n80\r\nfast\r\n",
         "line 5 is damaged: \"fast\""},
    };
    sim.log();
    for (const auto &[arguments, bytes, message] : cases) {
        writeFile(bad, bytes);
        const CliResult result = runCli(arguments);
        VERIFY_RUN(result, 2);
        // One short printable line, whatever the file holds.
        QVERIFY2(result.err.contains(message) && result.err.size() < 300 &&
                     result.err.count('\n') == 1,
                 qPrintable(result.err));
    }
    QVERIFY(!touched(sim));
}

void TestCliLine::failuresSayWhatTheModuleDid_data()
{
    QTest::addColumn<QStringList>("simArguments"); // SLEEPING: an EEPROM set to sleep
    QTest::addColumn<QStringList>("arguments");    // FILE: the module's configuration
    QTest::addColumn<Lines>("edit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("module error during the write")
        << QStringList{"--fault", "module-error:B08D:all:02"}
        << QStringList{"write", "-i", "FILE", "--eeprom"} << Lines{} << 1
        << "refused register 0x0D with a module error (38 02) in 5 attempts: 0x09, 0x0A, 0x0B, "
           "0x0C written into RAM and EEPROM before it, the rest not";
    QTest::newRow("sleep after power-up")
        << QStringList{"--eeprom", "SLEEPING"} << QStringList{"identify"} << Lines{} << 1
        << "reported at start-up \"??? (Sleep nach Powerup eingestellt!)\"";
    QTest::newRow("C module to 115200 baud")
        << QStringList{} << QStringList{"write", "-i", "FILE", "--eeprom", "--verify"}
        << Lines{{6, "7"}} << 0
        << "note: the module talks at 115200 baud from its next power-up (use -b 115200)";
}

void TestCliLine::failuresSayWhatTheModuleDid()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, arguments);
    QFETCH(Lines, edit);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QString file;
    if (arguments.contains("FILE")) {
        SimPort plain;
        QVERIFY(plain.start({"--type", "C"}));
        file = configurationOf(plain, dir.filePath("c.txt"), edit);
        QVERIFY(!file.isEmpty());
    }
    // The power-up register of a C module without "Continue": it sleeps after power-up. Only on
    // korvel-sim's pseudo-terminal, which has no RTS line to wake it, does it stay asleep.
    writeFile(dir.filePath("sleeping.eeprom"), "0D 00\n");
    const bool sleeping = simArguments.contains("SLEEPING");
    simArguments.replaceInStrings(QRegularExpression("^SLEEPING$"),
                                  dir.filePath("sleeping.eeprom"));
    SimProcess pty;
    SimPort inProcess;
    simArguments = QStringList{"--type", "C"} + simArguments;
    QVERIFY(sleeping ? pty.start(simArguments) : inProcess.start(simArguments));
    arguments.replaceInStrings(QRegularExpression("^FILE$"), file);
    const QString port = sleeping ? pty.devicePath() : inProcess.devicePath();
    const CliResult result = runCli(arguments + QStringList{"-p", port});
    VERIFY_RUN(result, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(!result.err.contains("stopped answering"));
}

void TestCliLine::portLostDuringRecalibrationIsToldAtOnce()
{
    SimProcess sim;
    QVERIFY(sim.start({"--type", "C", "--recal-ms", "60000"}));
    CliProcess cli;
    cli.start({"test", "recalibrate", "-p", sim.devicePath()});
    QVERIFY(saidOnError(cli, "recalibration started"));
    sim.stop();
    // Well before the 10 s the module has for its result.
    const CliResult result = cli.finish(5000);
    VERIFY_RUN(result, 3);
}

void TestCliLine::eepromWriteIsVerifiedAfterAPowerCycle()
{
    QTemporaryDir dir;
    SimPort sim;
    // The EEPROM cell of the radio rate keeps its old value; the RAM takes the new one.
    QVERIFY(sim.start({"--type", "C", "--fault", "eeprom-lost:B08B:all"}));
    const QString file = configurationOf(sim, dir.filePath("c.txt"), {{5, "1"}});
    QVERIFY(!file.isEmpty());

    const CliResult ram = runCli({"write", "-p", sim.devicePath(), "-i", file, "--verify"});
    VERIFY_RUN(ram, 0);
    const CliResult eeprom =
        runCli({"write", "-p", sim.devicePath(), "-i", file, "--eeprom", "--verify", "--json"});
    VERIFY_RUN(eeprom, 1);
    QVERIFY2(eeprom.err.contains("verify failed: 1 of 8 registers differ after a power cycle"),
             qPrintable(eeprom.err));
    const QJsonObject record = json(eeprom);
    QCOMPARE(record.value("verified").toBool(true), false);
    const QJsonObject mismatch = record.value("mismatches").toObject().value("0x0B").toObject();
    QCOMPARE(mismatch.value("written").toInt(), 1);
    QVERIFY(mismatch.value("read").toInt(1) != 1);

    // A power-up after the power cycle of the program's own connect shows the RAM write undone.
    const CliResult after = runCli({"read", "-p", sim.devicePath(), "--json"});
    VERIFY_RUN(after, 0);
    QVERIFY(json(after).value("c").toObject().value("hfBaud").toInt() != 1);
}

void TestCliLine::filesPipesAndEarlyInterruptsLeaveNothingBehind()
{
    SimPort sim;
    QVERIFY(sim.start({"--type", "C"}));
    QTemporaryDir dir;
    const QString file = configurationOf(sim, dir.filePath("c.txt"), {{3, "12"}});
    QVERIFY(!file.isEmpty());
    const QString port = sim.devicePath();

    // A full disk (a file size limit of nothing) or a FIFO: refused before the port opens, and no
    // empty file is left behind.
    const QString fifo = dir.filePath("rows.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto fullDisk = [](QProcess &process) {
        process.setChildProcessModifier([] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_FSIZE, &none);
        });
    };
    const QList<std::pair<QStringList, bool>> refused{
        {{"link", "-p", port, "--cycles", "3", "--csv", dir.filePath("link.csv")}, true},
        {{"sweep", "-p", port, "--csv", dir.filePath("sweep.csv")}, true},
        {{"sweep", "-p", port, "--csv", fifo}, false},
        {{"link", "-p", port, "--cycles", "3", "--csv", fifo}, false},
    };
    sim.log();
    for (const auto &[arguments, full] : refused) {
        const CliResult result = runPrepared(
            arguments, full ? std::function<void(QProcess &)>(fullDisk) : [](QProcess &) {});
        VERIFY_RUN(result, 2);
        QVERIFY2(result.err.contains("cannot write " + arguments.last()), qPrintable(result.err));
        QCOMPARE(QFileInfo::exists(arguments.last()), !full);
    }
    QVERIFY(!touched(sim));

    // An interrupt that comes before the module is touched: nothing is written.
    const CliResult early = runPrepared({"write", "-p", port, "-i", file}, [](QProcess &process) {
        process.setChildProcessModifier([] {
            sigset_t interrupt;
            sigemptyset(&interrupt);
            sigaddset(&interrupt, SIGINT);
            sigprocmask(SIG_BLOCK, &interrupt, nullptr);
            ::raise(SIGINT); // waits, blocked, until the program takes it
        });
    });
    VERIFY_RUN(early, 1);
    QVERIFY2(early.err.contains("interrupted before the port was opened: nothing was written"),
             qPrintable(early.err));
    QVERIFY(!touched(sim));

    // A reader that has gone (| head -c 1): the write is finished, then the program ends with its
    // own status instead of being killed by the broken pipe.
    QProcess pipeline;
    pipeline.start("bash", {"-c",
                            "set -o pipefail; \"$0\" write -p \"$1\" -i \"$2\" --eeprom "
                            "--debug 2>&1 | head -c 1 >/dev/null",
                            CliProcess::program({port}), port, file});
    QVERIFY(pipeline.waitForFinished(60000));
    QCOMPARE(pipeline.exitCode(), 2);
    const CliResult after = runCli({"read", "-p", port, "--json"});
    VERIFY_RUN(after, 0);
    QCOMPARE(json(after).value("c").toObject().value("frqRx").toInt(), 12);
}

void TestCliLine::everyCommandsJsonFollowsOneSchema()
{
    SimPort sim;
    QVERIFY(sim.start({"--type", "C", "--serial", "3000000000"}));
    QTemporaryDir dir;
    const QString file = configurationOf(sim, dir.filePath("c.txt"));
    QVERIFY(!file.isEmpty());
    const QString port = sim.devicePath();
    const QList<QStringList> commands{
        {"identify", "-p", port},
        {"read", "-p", port},
        {"write", "-p", port, "-i", file, "--verify"},
        {"test", "temperature", "-p", port},
        {"test", "recalibrate", "-p", port},
        {"link", "-p", port, "--cycles", "3"},
        {"sweep", "-p", port, "--sweeps", "2"},
        {"carrier", "-p", port, "--mode", "modulated", "--tx-ms", "50", "--rx-ms", "50",
         "--seconds", "0.3"},
    };
    for (const QStringList &command : commands) {
        const CliResult result = runCli(command + QStringList{"--json"});
        VERIFY_RUN(result, 0);
        const QStringList lines = result.out.trimmed().split('\n');
        QCOMPARE(lines.size(), command.contains("--sweeps") ? 2 : 1);
        for (const QString &line : lines) {
            QJsonParseError error;
            const QJsonObject object = QJsonDocument::fromJson(line.toUtf8(), &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(line));
            QCOMPARE(object.value("command").toString(), command.first());
            QCOMPARE(object.value("port").toString(), port);
            QCOMPARE(object.value("serialNumber").toDouble(), 3000000000.0);
            QCOMPARE(object.value("designation").toString(), QStringLiteral("Korvel868-10-C3"));
            const QStringList faults = schemaFaults(object);
            QVERIFY2(faults.isEmpty(), qPrintable(command.first() + ": " + faults.join(", ")));
        }
    }
    // korvel-sim makes itself findable: the list holds at least its port.
    SimProcess listed;
    QVERIFY(listed.start());
    const CliResult ports = runCli({"ports", "--json"});
    VERIFY_RUN(ports, 0);
    const QJsonObject list = json(ports);
    QVERIFY(!list.value("ports").toArray().isEmpty());
    QVERIFY2(schemaFaults(list).isEmpty(), qPrintable(schemaFaults(list).join(", ")));
}

QTEST_MAIN(TestCliLine)
#include "tst_cli_line.moc"
