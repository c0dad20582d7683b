#include "moduleemulator.h"
#include "simoptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <termios.h>
#include <unistd.h>

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The program's side of the line, over plain termios.
class Line
{
public:
    Line(const QString &path, speed_t speed)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (m_fd < 0)
            return;
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray &bytes)
    {
        QCOMPARE(::write(m_fd, bytes.constData(), bytes.size()), bytes.size());
    }
    // Up to count bytes. An answer may take its time: the pseudo-terminal hands bytes on through
    // a kernel worker that a busy machine runs late, and these tests are about what korvel-sim
    // sends, not when.
    QByteArray read(int count, int timeoutMs = 10000)
    {
        QByteArray bytes;
        QElapsedTimer timer;
        timer.start();
        while (bytes.size() < count && timer.elapsed() < timeoutMs) {
            pollfd fd{m_fd, POLLIN, 0};
            if (poll(&fd, 1, int(timeoutMs - timer.elapsed())) <= 0)
                continue;
            char buffer[64];
            const ssize_t n = ::read(m_fd, buffer, size_t(count - bytes.size()));
            if (n > 0)
                bytes.append(buffer, int(n));
        }
        return bytes;
    }

private:
    int m_fd = -1;
};

} // namespace

class TestKorvelSim : public QObject
{
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void faultOption_data();
    void faultOption();
    void reportStreamOption_data();
    void reportStreamOption();
    void servesModuleOnPseudoTerminal();
    void learnsLineRateFromTerminalSettings();
    void wakeUpButtonBySignal();
    void keepsEepromInFile();
    void unusableRuntimeFolderMeansNoLink_data();
    void unusableRuntimeFolderMeansNoLink();

private:
    bool startSim(QProcess &process, const QStringList &arguments, QString &path);
    bool waitForLog(QProcess &process, const QByteArray &text);

    QByteArray m_log;
};

// The simulator notices a close within a few milliseconds; a test that reopens at once waits for
// its note first, as the program's own connect sequence leaves it 100 ms.
bool TestKorvelSim::waitForLog(QProcess &process, const QByteArray &text)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_log.contains(text)) {
        if (timer.elapsed() > 3000)
            return false;
        process.waitForReadyRead(100);
        m_log += process.readAllStandardError();
    }
    m_log.remove(0, m_log.indexOf(text) + text.size());
    return true;
}

void TestKorvelSim::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    // type/band/set/hw/speed/serial/version, or "error", "help", "version"
    QTest::addColumn<QString>("summary");

    QTest::newRow("defaults") << QStringList{} << "C/868/3/10/16/123456/1.4.12";
    QTest::newRow("B module on 433")
        << QStringList{"--type", "B", "--band", "433", "--command-set", "2"}
        << "B/433/2/10/16/123456/1.4.12";
    QTest::newRow("calibration software, 64 MHz, serial, version")
        << QStringList{"--type",
                       "x",
                       "--speed",
                       "64",
                       "--serial",
                       "4294967295",
                       "--firmware-version",
                       "2/0/255",
                       "--hardware",
                       "14"}
        << "x/868/3/14/64/4294967295/2.0.255";
    QTest::newRow("unknown type") << QStringList{"--type", "D"} << "error";
    QTest::newRow("band outside") << QStringList{"--band", "915"} << "error";
    QTest::newRow("speed outside") << QStringList{"--speed", "32"} << "error";
    QTest::newRow("version not three parts") << QStringList{"--firmware-version", "1/4"} << "error";
    QTest::newRow("version part too big")
        << QStringList{"--firmware-version", "1/4/256"} << "error";
    QTest::newRow("--version shows the program's version") << QStringList{"--version"} << "version";
    QTest::newRow("--version before other options")
        << QStringList{"--version", "--type", "B"} << "version";
    QTest::newRow("--version with a firmware version is refused")
        << QStringList{"--version", "1/4/12"} << "error";
    QTest::newRow("-h") << QStringList{"-h"} << "help";
    QTest::newRow("--help after options") << QStringList{"--band", "433", "--help"} << "help";
    QTest::newRow("value missing") << QStringList{"--serial"} << "error";
    QTest::newRow("unknown option") << QStringList{"--fast"} << "error";
}

void TestKorvelSim::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, summary);

    const SimOptions options = parseSimOptions(arguments);
    if (summary == QLatin1String("error")) {
        QVERIFY(!options.error.isEmpty());
        return;
    }
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    QCOMPARE(options.help, summary == QLatin1String("help"));
    QCOMPARE(options.version, summary == QLatin1String("version"));
    if (options.help || options.version)
        return;
    const EmulatorConfig &c = options.config;
    const QString actual = QStringLiteral("%1/%2/%3/%4/%5/%6/%7.%8.%9")
                               .arg(QChar::fromLatin1(c.type))
                               .arg(c.band)
                               .arg(c.commandSet)
                               .arg(c.hardware)
                               .arg(c.speedMHz)
                               .arg(c.serial)
                               .arg(c.version[0])
                               .arg(c.version[1])
                               .arg(c.version[2]);
    QCOMPARE(actual, summary);
}

void TestKorvelSim::faultOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("silent for ever") << QStringList{"--silent"} << true << int(FaultKind::Silent)
                                     << QByteArray() << -1 << 0 << QByteArray();
    QTest::newRow("first B0 00 00 lost")
        << QStringList{"--fault", "silent:B00000"} << true << int(FaultKind::Silent)
        << hex("B00000") << 1 << 0 << QByteArray();
    QTest::newRow("module error on all reads")
        << QStringList{"--fault", "module-error:B002:all:05"} << true << int(FaultKind::ModuleError)
        << hex("B002") << -1 << 5 << QByteArray();
    QTest::newRow("report before any answer, twice")
        << QStringList{"--fault", "report-before:*:2:2201"} << true << int(FaultKind::ReportBefore)
        << QByteArray() << 2 << 0 << hex("2201");
    QTest::newRow("report before an answer 30 ms late")
        << QStringList{"--fault", "report-before:B00002:all:-:30"} << true
        << int(FaultKind::ReportBefore) << hex("B00002") << -1 << 0 << hex("30A9");
    QTest::newRow("negative delay") << QStringList{"--fault", "silent:*:1:-:-5"} << false << 0
                                    << QByteArray() << 0 << 0 << QByteArray();
    QTest::newRow("unknown kind") << QStringList{"--fault", "slow"} << false << 0 << QByteArray()
                                  << 0 << 0 << QByteArray();
    QTest::newRow("odd hex frame") << QStringList{"--fault", "short:B00"} << false << 0
                                   << QByteArray() << 0 << 0 << QByteArray();
    QTest::newRow("zero count") << QStringList{"--fault", "short:*:0"} << false << 0 << QByteArray()
                                << 0 << 0 << QByteArray();
}

void TestKorvelSim::faultOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QFETCH(int, kind);
    QFETCH(QByteArray, frame);
    QFETCH(int, count);
    QFETCH(int, value);
    QFETCH(QByteArray, report);

    const SimOptions options = parseSimOptions(arguments);
    QCOMPARE(options.error.isEmpty(), valid);
    if (!valid)
        return;
    QCOMPARE(int(options.faults.size()), 1);
    const EmulatorFault &fault = options.faults.front();
    QCOMPARE(int(fault.kind), kind);
    QCOMPARE(fault.frame, frame);
    QCOMPARE(fault.count, count);
    QCOMPARE(int(fault.value), value);
    if (!report.isEmpty())
        QCOMPARE(fault.report, report);
    QCOMPARE(fault.lateMs, arguments.last().endsWith(QLatin1String(":30")) ? 30.0 : 0.0);
}

bool TestKorvelSim::startSim(QProcess &process, const QStringList &arguments, QString &path)
{
    const QString program = qEnvironmentVariable("KORVEL_SIM");
    if (program.isEmpty())
        return false;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(5000))
        return false;
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(5000))
            return false;
    }
    path = QString::fromLocal8Bit(process.readLine()).trimmed();
    m_log.clear();
    return true;
}

void TestKorvelSim::reportStreamOption_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("report"); // empty: refused
    QTest::addColumn<int>("periodMs");
    // A bare code byte gets the maximum RSSI, -60 dBm by default.
    QTest::newRow("RSSI code every 2 ms") << "30:2" << hex("30C4") << 2;
    QTest::newRow("whole report every 5 ms") << "30A9:5" << hex("30A9") << 5;
    QTest::newRow("no period") << "30" << QByteArray() << 0;
    QTest::newRow("period 0") << "30:0" << QByteArray() << 0;
    QTest::newRow("not hex") << "zz:2" << QByteArray() << 0;
    QTest::newRow("beginning 40 ms after power-up") << "30:2:40" << hex("30C4") << 2;
    QTest::newRow("too many fields") << "30:2:1:1" << QByteArray() << 0;
    QTest::newRow("negative start") << "30:2:-1" << QByteArray() << 0;
}

void TestKorvelSim::reportStreamOption()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, report);
    QFETCH(int, periodMs);
    const SimOptions options = parseSimOptions({QStringLiteral("--reports"), argument});
    if (report.isEmpty()) {
        QVERIFY(!options.error.isEmpty());
        return;
    }
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    QCOMPARE(options.config.reportStream.toHex(), report.toHex());
    QCOMPARE(options.config.reportPeriodMs, double(periodMs));

    // The awake module sends the report at that pace after its start-up report.
    ModuleEmulator module(options.config);
    module.lineOpened(0);
    const double start = std::max(options.config.bootDelayMs, options.config.reportStartMs);
    const QByteArray out = module.takeOutput(start + 10 * periodMs + 1.5);
    QCOMPARE(out.left(3).toHex(), QByteArray("003000"));
    QCOMPARE(out.mid(3).toHex(), report.repeated(10).toHex());
}

void TestKorvelSim::servesModuleOnPseudoTerminal()
{
    if (qEnvironmentVariableIsEmpty("KORVEL_SIM"))
        QSKIP("KORVEL_SIM is not set");
    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--type", "B"}, path));
    QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));
    {
        Line line(path, B19200);
        QVERIFY(line.isOpen());
        QCOMPARE(line.read(3).toHex(), QByteArray("003200"));
        line.write(hex("B00001"));
        QCOMPARE(line.read(2).toHex(), QByteArray("0002"));
        line.write(hex("B00000"));
        QCOMPARE(line.read(4).toHex(), QByteArray("0001040c"));
    }
    QVERIFY(waitForLog(sim, "line closed"));
    // Every open of the line is a power-up with its own report.
    {
        Line line(path, B19200);
        QCOMPARE(line.read(3).toHex(), QByteArray("003200"));
    }
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    const QByteArray log = m_log + sim.readAllStandardError();
    QVERIFY2(log.contains("tx report 00 32 00"), log.constData());
}

void TestKorvelSim::learnsLineRateFromTerminalSettings()
{
    if (qEnvironmentVariableIsEmpty("KORVEL_SIM"))
        QSKIP("KORVEL_SIM is not set");
    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--type", "C"}, path)); // a C module talks at 19200
    {
        Line line(path, B9600);
        QCOMPARE(line.read(3).toHex(), QByteArray("ffffff"));
        line.write(hex("B00001"));
        QCOMPARE(line.read(2, 300).toHex(), QByteArray());
    }
    QVERIFY(waitForLog(sim, "line closed"));
    {
        Line line(path, B19200);
        QCOMPARE(line.read(3).toHex(), QByteArray("003000"));
        line.write(hex("B00001"));
        QCOMPARE(line.read(2).toHex(), QByteArray("0003"));
    }
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));
}

void TestKorvelSim::wakeUpButtonBySignal()
{
    if (qEnvironmentVariableIsEmpty("KORVEL_SIM"))
        QSKIP("KORVEL_SIM is not set");
    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--type", "C"}, path));
    Line line(path, B19200);
    QCOMPARE(line.read(3).toHex(), QByteArray("003000"));
    line.write(hex("B02021"));
    QCOMPARE(line.read(2).toHex(), QByteArray("2021"));
    // SIGUSR1 presses the evaluation kit's button: the sleeping module wakes and reports it.
    ::kill(pid_t(sim.processId()), SIGUSR1);
    QCOMPARE(line.read(2).toHex(), QByteArray("3001"));
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));
}

void TestKorvelSim::keepsEepromInFile()
{
    if (qEnvironmentVariableIsEmpty("KORVEL_SIM"))
        QSKIP("KORVEL_SIM is not set");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("eeprom.txt"));
    for (int run = 0; run < 2; ++run) {
        QProcess sim;
        QString path;
        QVERIFY(startSim(sim, {"--type", "C", "--eeprom", file}, path));
        Line line(path, B19200);
        QCOMPARE(line.read(3).toHex(), QByteArray("003000"));
        if (run == 0) {
            line.write(hex("B08905"));
            QCOMPARE(line.read(2).toHex(), QByteArray("0905"));
        } else {
            line.write(hex("B00209"));
            QCOMPARE(line.read(2).toHex(), QByteArray("0205"));
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
    }
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("09 05\n"));
}

void TestKorvelSim::unusableRuntimeFolderMeansNoLink_data()
{
    QTest::addColumn<QString>("fallback");
    QTest::newRow("another user's folder") << "foreign";
    QTest::newRow("a file in the folder's place") << "file";
}

void TestKorvelSim::unusableRuntimeFolderMeansNoLink()
{
    QFETCH(QString, fallback);
    if (qEnvironmentVariableIsEmpty("KORVEL_SIM"))
        QSKIP("KORVEL_SIM is not set");
    // Without XDG_RUNTIME_DIR the runtime folder is runtime-<user> in the temporary folder; here
    // someone else has taken that name first.
    QTemporaryDir temp;
    const passwd *user = ::getpwuid(::geteuid());
    QVERIFY(user);
    const QString taken =
        temp.filePath(QStringLiteral("runtime-") + QString::fromLocal8Bit(user->pw_name));
    if (fallback == QLatin1String("foreign")) {
        if (::geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        QVERIFY(QDir().mkdir(taken));
        QCOMPARE(::chown(QFile::encodeName(taken).constData(), 65534, 65534), 0);
    } else {
        QFile file(taken);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString rootFolder = QStringLiteral("/korvel-sim");
    const bool rootFolderBefore = QFileInfo::exists(rootFolder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temp.path());

    QProcess sim;
    sim.setProcessEnvironment(environment);
    QString path;
    QVERIFY(startSim(sim, {"--serial", "97531"}, path));
    QVERIFY2(waitForLog(sim, "not findable by the port list: no usable runtime folder"),
             m_log.constData());
    // The module is still served on its device path.
    {
        Line line(path, B19200);
        QCOMPARE(line.read(3).toHex(), QByteArray("003000"));
    }
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));
    QCOMPARE(QFileInfo::exists(rootFolder), rootFolderBefore);
    QVERIFY(!QFileInfo::exists(rootFolder + QStringLiteral("/korvel-sim-97531")));
    QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QFileInfo(taken).fileName()});
}

QTEST_GUILESS_MAIN(TestKorvelSim)
#include "tst_korvelsim.moc"
