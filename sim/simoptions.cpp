#include "simoptions.h"

#include "eepromfile.h"
#include "linkpartner.h"

#include "korvel_version.h"

#include <algorithm>

namespace
{

bool parseInt(const QString &text, int &value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok, 0);
    if (ok)
        value = parsed;
    return ok;
}

bool parseHexBytes(QString text, QByteArray &bytes)
{
    text.remove(QLatin1Char(' '));
    if (text.size() % 2 != 0)
        return false;
    for (QChar c : text) {
        if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c))
            return false;
    }
    bytes = QByteArray::fromHex(text.toLatin1());
    return true;
}

// KIND[:FRAME[:COUNT[:ARG[:LATE]]]]; FRAME "*" or empty hits every answer, ARG "-" is none.
QString parseFault(const QString &text, EmulatorFault &fault)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    static const QStringList kinds{QStringLiteral("silent"),
                                   QStringLiteral("wrong-code"),
                                   QStringLiteral("module-error"),
                                   QStringLiteral("short"),
                                   QStringLiteral("short-continuation"),
                                   QStringLiteral("report-before"),
                                   QStringLiteral("ignored"),
                                   QStringLiteral("eeprom-lost")};
    const int kind = int(kinds.indexOf(parts[0]));
    if (kind < 0)
        return QStringLiteral("unknown fault kind: ") + parts[0];
    fault.kind = FaultKind(kind);
    if (fault.kind == FaultKind::ReportBefore)
        fault.report = QByteArray::fromHex("30A9"); // a maximum-RSSI report of -87 dBm
    if (parts.size() > 1 && parts[1] != QLatin1String("*") && !parseHexBytes(parts[1], fault.frame))
        return QStringLiteral("bad fault frame: ") + parts[1];
    if (parts.size() > 2) {
        if (parts[2] == QLatin1String("all"))
            fault.count = -1;
        else if (!parseInt(parts[2], fault.count) || fault.count == 0)
            return QStringLiteral("bad fault count: ") + parts[2];
    }
    if (parts.size() > 3 && parts[3] != QLatin1String("-")) {
        QByteArray arg;
        if (!parseHexBytes(parts[3], arg) || arg.isEmpty())
            return QStringLiteral("bad fault argument: ") + parts[3];
        if (fault.kind == FaultKind::ReportBefore)
            fault.report = arg;
        else
            fault.value = quint8(arg[0]);
    }
    if (parts.size() > 4) {
        int late = 0;
        if (!parseInt(parts[4], late) || late < 0)
            return QStringLiteral("bad fault delay: ") + parts[4];
        fault.lateMs = late;
    }
    if (parts.size() > 5)
        return QStringLiteral("too many fault fields: ") + text;
    return {};
}

const char *kindText(EmulatorLogEntry::Kind kind)
{
    switch (kind) {
    case EmulatorLogEntry::Frame:
        return "rx";
    case EmulatorLogEntry::Answer:
        return "tx";
    case EmulatorLogEntry::Report:
        return "tx report";
    case EmulatorLogEntry::Ignored:
        return "rx ignored";
    }
    return "?";
}

} // namespace

void applySimOptions(ModuleEmulator &emulator, const SimOptions &options,
                     const std::function<void(const QString &line)> &print)
{
    for (const EmulatorFault &fault : options.faults)
        emulator.injectFault(fault);
    if (!options.eepromFile.isEmpty()) {
        std::array<quint8, 256> image = emulator.eepromImage();
        if (loadEepromFile(options.eepromFile, image))
            emulator.setEepromImage(image);
        const QString path = options.eepromFile;
        const int last = ModuleEmulator::lastRegister(options.config.type);
        emulator.setEepromWrittenCallback([&emulator, path, last, print] {
            if (!saveEepromFile(path, emulator.eepromImage(), ModuleEmulator::firstRegister(),
                                last))
                print(QStringLiteral("cannot write the EEPROM file ") + path);
        });
    }
    emulator.setLogCallback([print](const EmulatorLogEntry &entry) {
        print(QString::asprintf("%10.3f %s %s", entry.atMs / 1000.0, kindText(entry.kind),
                                entry.bytes.toHex(' ').toUpper().constData()));
    });
    emulator.carrier().setReportCallback([print](const CarrierStream &stream, bool finished) {
        print(QString::asprintf("%10.3f carrier stream %s: ", stream.lastMs / 1000.0,
                                finished ? "ended" : "running") +
              stream.toString());
    });
}

QString simUsage()
{
    return QStringLiteral(
        "Usage: korvel-sim [OPTION]...\n"
        "Serves an emulated Korvel433/868 module on a new pseudo-terminal; prints its path.\n"
        "  -h, --help              show this help and exit\n"
        "  --version               show the version of korvel-sim and exit\n"
        "  --type B|C|x            firmware (default C; x = calibration software)\n"
        "  --band 433|868          frequency band (default 868)\n"
        "  --command-set N         command-set version (default 3)\n"
        "  --hardware N            hardware version (default 10)\n"
        "  --speed 8|16|64         software speed in MHz (default 16)\n"
        "  --serial N              serial number (default 123456)\n"
        "  --firmware-version A/B/C\n"
        "                          the module's software version (default 1/4/12)\n"
        "  --eeprom FILE           keep the EEPROM in FILE\n"
        "  --boot-delay MS         power-up to start-up report (default 50)\n"
        "  --processing-ms MS      frame to answer inside the module (default 1)\n"
        "  --recal-ms MS           recalibration duration (default 300)\n"
        "  --recal-result 1|2      recalibration report: 1 successful, 2 not (default 1)\n"
        "  --calibration-missing   start-up report status 80\n"
        "  --no-startup-report     send no start-up report\n"
        "  --silent                answer nothing\n"
        "  --reports HEX:MS[:AFTER]\n"
        "                          send the report HEX every MS milliseconds while awake,\n"
        "                          beginning AFTER ms after power-up (default 0); a single\n"
        "                          code byte gets the maximum RSSI as its value\n"
        "                          (--reports 30:2: 30 vv every 2 ms)\n"
        "  --carrier CHANNEL:DBM   a carrier on a channel (K080:-60 or 80:-60), repeatable;\n"
        "                          B0 01 00/01 then report this spectrum on the channel\n"
        "                          that B0 09 nn tunes to\n"
        "  --noise-floor DBM       level between the carriers (default -115)\n"
        "  --settle-ms MS          the receiver's settle time after a tune (default 2)\n"
        "  --fault KIND[:FRAME[:COUNT[:ARG[:LATE]]]]\n"
        "                          KIND silent, wrong-code, module-error, short,\n"
        "                          short-continuation, report-before, ignored (answered, not\n"
        "                          carried out), eeprom-lost (a write reaches RAM only);\n"
        "                          FRAME hex prefix of the\n"
        "                          frames hit (* = all); COUNT answers hit (all = every one);\n"
        "                          ARG hex: code, error value, bytes dropped, or report bytes\n"
        "                          (- = none); LATE ms the answer leaves later (a report\n"
        "                          before it does not wait)\n"
        "  --temperature C --voltage TENTHS --rssi DBM --rssi-max DBM\n"
        "                          measured values (defaults 23, 33, -87, -60)\n"
        "  --link off | bytes=3|5|7,s1=DBM,n1=DBM,s2=DBM,n2=DBM,loss=RATE,delay=MS\n"
        "                          LinkControl answers of a C module (defaults bytes=5,s1=-70,\n"
        "                          n1=-104,s2=-72,n2=-106,loss=0, delay = the air time)\n"
        "SIGUSR1 presses the wake-up button of the evaluation kit.\n"
        "SIGUSR2 puts the next module into the fixture: a fresh one with the next serial\n"
        "number, powered at once while the line is open.\n");
}

QString simVersionText()
{
    return QStringLiteral("korvel-sim " KORVEL_VERSION "\n" KORVEL_VERSION_NOTICE);
}

SimOptions parseSimOptions(const QStringList &arguments)
{
    SimOptions options;
    EmulatorConfig &config = options.config;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &option = arguments[i];
        auto value = [&](QString &text) {
            if (i + 1 >= arguments.size()) {
                options.error = option + QStringLiteral(" needs a value");
                return false;
            }
            text = arguments[++i];
            return true;
        };
        auto number = [&](int &target) {
            QString text;
            if (!value(text))
                return false;
            if (!parseInt(text, target)) {
                options.error = QStringLiteral("%1: not a number: %2").arg(option, text);
                return false;
            }
            return true;
        };
        auto oneOf = [&](int target, std::initializer_list<int> allowed) {
            if (std::find(allowed.begin(), allowed.end(), target) != allowed.end())
                return true;
            options.error = QStringLiteral("%1: unsupported value %2").arg(option).arg(target);
            return false;
        };

        QString text;
        int n = 0;
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            options.help = true;
        } else if (option == QLatin1String("--type")) {
            if (!value(text))
                return options;
            if (text != QLatin1String("B") && text != QLatin1String("C") &&
                text != QLatin1String("x")) {
                options.error = QStringLiteral("--type: B, C or x, not ") + text;
                return options;
            }
            config.type = text[0].toLatin1();
        } else if (option == QLatin1String("--band")) {
            if (!number(n) || !oneOf(n, {433, 868}))
                return options;
            config.band = n;
        } else if (option == QLatin1String("--command-set")) {
            if (!number(config.commandSet))
                return options;
        } else if (option == QLatin1String("--hardware")) {
            if (!number(config.hardware))
                return options;
        } else if (option == QLatin1String("--speed")) {
            if (!number(n) || !oneOf(n, {8, 16, 64}))
                return options;
            config.speedMHz = n;
        } else if (option == QLatin1String("--serial")) {
            if (!value(text))
                return options;
            bool ok = false;
            config.serial = text.toUInt(&ok, 0);
            if (!ok) {
                options.error = QStringLiteral("--serial: not a 32-bit number: ") + text;
                return options;
            }
        } else if (option == QLatin1String("--version")) {
            // A value after it comes from a command line written for --firmware-version.
            if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-'))) {
                options.error = QStringLiteral("--version takes no value; the module's software "
                                               "version is set with --firmware-version ") +
                                arguments[i + 1];
                return options;
            }
            options.version = true;
        } else if (option == QLatin1String("--firmware-version")) {
            if (!value(text))
                return options;
            const QStringList parts = text.split(QLatin1Char('/'));
            bool ok = parts.size() == 3;
            for (int k = 0; ok && k < 3; ++k)
                ok = parseInt(parts[k], config.version[k]) && config.version[k] >= 0 &&
                     config.version[k] <= 255;
            if (!ok) {
                options.error =
                    QStringLiteral("--firmware-version: A/B/C with numbers 0 to 255, not ") + text;
                return options;
            }
        } else if (option == QLatin1String("--eeprom")) {
            if (!value(options.eepromFile))
                return options;
        } else if (option == QLatin1String("--boot-delay")) {
            if (!number(n))
                return options;
            config.bootDelayMs = n;
        } else if (option == QLatin1String("--processing-ms")) {
            if (!number(n))
                return options;
            config.processingDelayMs = n;
        } else if (option == QLatin1String("--recal-ms")) {
            if (!number(n))
                return options;
            config.recalibrationMs = n;
        } else if (option == QLatin1String("--recal-result")) {
            if (!number(n) || !oneOf(n, {1, 2}))
                return options;
            config.recalibrationResult = quint8(n);
        } else if (option == QLatin1String("--temperature")) {
            if (!number(config.temperatureC))
                return options;
        } else if (option == QLatin1String("--voltage")) {
            if (!number(config.supplyTenthsVolt))
                return options;
        } else if (option == QLatin1String("--rssi")) {
            if (!number(config.rssiDbm))
                return options;
        } else if (option == QLatin1String("--rssi-max")) {
            if (!number(config.maxRssiDbm))
                return options;
        } else if (option == QLatin1String("--link")) {
            if (!value(text))
                return options;
            options.error = parseLinkPartnerOptions(text, config.link);
            if (!options.error.isEmpty())
                return options;
        } else if (option == QLatin1String("--calibration-missing")) {
            config.calibrationDataMissing = true;
        } else if (option == QLatin1String("--no-startup-report")) {
            config.sendStartupReport = false;
        } else if (option == QLatin1String("--silent")) {
            EmulatorFault fault;
            fault.kind = FaultKind::Silent;
            fault.count = -1;
            options.faults.push_back(fault);
        } else if (option == QLatin1String("--reports")) {
            if (!value(text))
                return options;
            const QStringList parts = text.split(QLatin1Char(':'));
            QByteArray report;
            int period = 0;
            int after = 0;
            if (parts.size() < 2 || parts.size() > 3 || !parseHexBytes(parts[0], report) ||
                report.isEmpty() || !parseInt(parts[1], period) || period <= 0 ||
                (parts.size() == 3 && (!parseInt(parts[2], after) || after < 0))) {
                options.error = QStringLiteral("--reports: HEX:MS[:AFTER], not ") + text;
                return options;
            }
            config.reportStartMs = after;
            if (report.size() == 1)
                report.append(char(qint8(config.maxRssiDbm)));
            config.reportStream = report;
            config.reportPeriodMs = period;
        } else if (option == QLatin1String("--carrier")) {
            SpectrumCarrier carrier{};
            if (!value(text))
                return options;
            options.error = parseSpectrumCarrier(text, carrier);
            if (!options.error.isEmpty())
                return options;
            config.spectrum.carriers.push_back(carrier);
        } else if (option == QLatin1String("--noise-floor")) {
            if (!number(config.spectrum.noiseFloorDbm))
                return options;
        } else if (option == QLatin1String("--settle-ms")) {
            if (!number(n))
                return options;
            config.spectrum.settleMs = n;
        } else if (option == QLatin1String("--fault")) {
            if (!value(text))
                return options;
            EmulatorFault fault;
            options.error = parseFault(text, fault);
            if (!options.error.isEmpty())
                return options;
            options.faults.push_back(fault);
        } else {
            options.error = QStringLiteral("unknown option: ") + option;
            return options;
        }
    }
    return options;
}

