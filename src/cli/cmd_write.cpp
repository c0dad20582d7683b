// korvel-cli write: a stored configuration into the module, with the window's rules and
// refusals, and on request read back and compared register by register.

#include "commands.h"
#include "failure.h"
#include "interrupt.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "link/linewait.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/storedfilecheck.h"
#include "module/tables.h"
#include "module/textfile.h"
#include "module/verify.h"
#include "module/writeexecution.h"

namespace
{

// The PC follows the module's new serial rate, as the window's baud selector does.
class CliWrite : public WriteObserver
{
public:
    explicit CliWrite(ComPort &port) : m_port(port) {}
    void switchPcBaud(int item) override
    {
        if (const auto baud = pcBaudRate(item)) {
            m_port.setBaudRate(*baud);
            m_newBaud = *baud;
        }
    }
    int newBaud() const { return m_newBaud; }

private:
    ComPort &m_port;
    int m_newBaud = 0;
};

// "0x09, 0x0A and 0x0B" / "nothing".
QString registerList(const QList<std::pair<quint8, quint8>> &registers)
{
    QStringList names;
    for (const auto &entry : registers)
        names << Cli::hexByte(entry.first);
    return names.isEmpty() ? QStringLiteral("nothing") : names.join(QStringLiteral(", "));
}

// What a failed write left in the module: a line needs to know that it is part old, part new.
QString writeFailure(const QString &port, const WritePlan &plan, const LinkState &state,
                     bool eeprom)
{
    const WriteStop stop = writeStop(plan, state);
    const QString into = eeprom ? QStringLiteral("RAM and EEPROM") : QStringLiteral("RAM");
    if (!stop.failedRegister)
        return QStringLiteral("the module on %1 stopped answering during the write (5 attempts)")
            .arg(port);
    const QString what =
        stop.moduleError
            ? QStringLiteral("the module on %1 refused register %2 with a module error (38 %3) "
                             "in 5 attempts")
                  .arg(port, Cli::hexByte(*stop.failedRegister),
                       Cli::hexByte(*stop.moduleError).mid(2))
            : QStringLiteral("the module on %1 stopped answering at register %2 (5 attempts)")
                  .arg(port, Cli::hexByte(*stop.failedRegister));
    if (stop.written.isEmpty())
        return what + QStringLiteral("; nothing of the file was written");
    return what + QStringLiteral(": %1 written into %2 before it, the rest not; the module holds "
                                 "part of the new configuration")
                      .arg(registerList(stop.written), into);
}

// The C module's serial rate that the plan stores in the EEPROM, when it differs from the PC's:
// the module takes it at its next power-up.
int cRateFromNextPowerUp(const Cli::Session &session, const StoredConfigUse &use, bool eeprom)
{
    const IdentityRecord &id = session.identity();
    if (!use.c || !eeprom)
        return 0;
    const auto lists = rateListsFor(id.typeLetter, id.commandSet.toInt(), id.speed);
    const int baud =
        splitItems(lists ? lists->rs232BaudC : designRs232BaudC()).value(use.c->rs232Baud).toInt();
    return baud > 0 && baud != session.options().baud ? baud : 0;
}

// The file, checked as far as it can be without the module: a bad file is wrong usage, found
// before the port opens.
QByteArray readConfiguration(const QString &input)
{
    const SmallFileRead file = readSmallFile(input, kStoredConfigMaxBytes);
    switch (file.status) {
    case SmallFileStatus::Read:
        break;
    case SmallFileStatus::TooLarge:
        Cli::fail(Cli::UsageError, QStringLiteral("%1: %2").arg(
                                       input, Cli::oneLine(storedConfigTooLarge().english)));
    case SmallFileStatus::NotRegular:
        Cli::fail(Cli::UsageError, QStringLiteral("%1: not a regular file").arg(input));
    default:
        Cli::fail(Cli::UsageError, QStringLiteral("cannot read %1: %2").arg(input, file.error));
    }
    if (const auto defect = storedConfigDefect(file.bytes)) {
        const QString where =
            defect->line == 0   ? QStringLiteral("the file is empty")
            : defect->line == 2 ? QStringLiteral("line 2 names no module type (B, C or x): \"%1\"")
                                      .arg(Cli::excerpt(defect->text))
                                : QStringLiteral("line %1 is damaged: \"%2\"")
                                      .arg(defect->line)
                                      .arg(Cli::excerpt(defect->text));
        Cli::fail(Cli::UsageError,
                  QStringLiteral("%1: not a stored configuration: %2; nothing was sent")
                      .arg(input, where));
    }
    return file.bytes;
}

int runWrite(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("write"),
        QStringLiteral("write -p PORT [-b BAUD] -i FILE [--eeprom] [--verify] [--json]"),
        QStringLiteral("Writes a stored configuration (a file the window saved, or korvel-cli "
                       "read wrote) into the module's RAM, with --eeprom into its EEPROM as well. "
                       "With --verify every written register is read back and compared: after "
                       "a power cycle when the EEPROM was written, at once from the RAM "
                       "otherwise (which the next command's power cycle undoes)."));
    parser.parser().addOptions({
        {{QStringLiteral("i"), QStringLiteral("input")},
         QStringLiteral("The stored-configuration file."),
         QStringLiteral("FILE")},
        {QStringLiteral("eeprom"), QStringLiteral("Store the configuration in the EEPROM too.")},
        {QStringLiteral("verify"), QStringLiteral("Read every register back and compare.")},
    });
    parser.addJsonOption();
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common();
    const QString input = parser.parser().value(QStringLiteral("input"));
    if (input.isEmpty())
        parser.usage(QStringLiteral("no file given: use -i FILE"));
    const bool eeprom = parser.parser().isSet(QStringLiteral("eeprom"));
    const bool verify = parser.parser().isSet(QStringLiteral("verify"));
    const QByteArray bytes = readConfiguration(input);

    // An interrupt before the module is touched leaves it as it is.
    const auto interrupted = [](const QString &when) {
        if (Cli::Interrupt::isRequested())
            Cli::fail(Cli::ModuleFailed,
                      QStringLiteral("interrupted %1: nothing was written").arg(when));
    };
    interrupted(QStringLiteral("before the port was opened"));
    Cli::Session session(options);
    session.connect();
    session.requireConfigurable();
    const QString letter = session.typeLetter();
    const bool calibration = firmwareType(letter) == FirmwareType::Calibration;
    if (calibration && eeprom)
        Cli::fail(Cli::ModuleFailed, QStringLiteral("the calibration software keeps its "
                                                    "configuration in RAM only: no --eeprom"));

    const IdentityRecord &id = session.identity();
    const bool cPage = firmwareType(letter) == FirmwareType::C;
    const StoredConfigUse use =
        useStoredConfig(bytes, true, letter, !cPage, cPage, bItemCounts(id), cItemCounts(id));
    if (!use.usable())
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("%1: %2").arg(input, Cli::oneLine(use.refusal.english)));

    WritePlan plan;
    bool storedMark = false;
    if (use.b) {
        BPageValues page = *use.b;
        storedMark = page.eeprom;
        page.eeprom = eeprom;
        plan = calibration ? planCalibrationWrite(page) : planBWrite(page);
    } else {
        CPageValues page = *use.c;
        storedMark = page.eeprom;
        page.eeprom = eeprom;
        plan = planCWrite(page);
    }
    if (plan.refused())
        Cli::fail(Cli::ModuleFailed, QStringLiteral("%1: %2").arg(
                                         input, Cli::oneLine(plan.unselectedMessage().english)));
    if (storedMark && !eeprom && !calibration)
        Cli::progress(QStringLiteral("note: the file was saved with \"data into EEPROM\"; "
                                     "written to RAM only (give --eeprom to store it)"));
    // A typed interval the window refuses is skipped; the rest is written.
    for (const IntervalRefusal &refusal : plan.refusals)
        Cli::progress(QStringLiteral("refused, not written: ") +
                      Cli::oneLine(refusal.message.english));

    interrupted(QStringLiteral("before the write began"));
    CliWrite observer(session.port());
    const auto sleep = [](int ms) { LineWait::sleepMs(ms); };
    {
        // Once begun, the write is finished: a second Ctrl+C does not cut it, a third does.
        const Cli::Interrupt::Shield shield;
        Cli::progress(QStringLiteral("writing %1 registers into %2")
                          .arg(plannedRegisters(plan).size())
                          .arg(eeprom ? QStringLiteral("RAM and EEPROM") : QStringLiteral("RAM")));
        if (!executeWritePlan(session.link(), plan, observer, sleep))
            Cli::fail(Cli::ModuleFailed,
                      writeFailure(options.port, plan, session.link().state(), eeprom));
    }
    const QList<std::pair<quint8, quint8>> registers = plannedRegisters(plan);
    const int written = int(registers.size());
    const QString target = eeprom ? QStringLiteral("RAM and EEPROM") : QStringLiteral("RAM");
    if (!options.json)
        Cli::writeLine(QStringLiteral("written: %1 registers into %2").arg(written).arg(target));
    int baud = options.baud;
    if (observer.newBaud() != 0 && observer.newBaud() != options.baud) {
        baud = observer.newBaud();
        Cli::progress(
            QStringLiteral("note: the module now talks at %1 baud (use -b %1)").arg(baud));
    }
    if (const int next = cRateFromNextPowerUp(session, use, eeprom)) {
        baud = next;
        Cli::progress(QStringLiteral("note: the module talks at %1 baud from its next power-up "
                                     "(use -b %1)")
                          .arg(baud));
    }

    QJsonObject record = Cli::moduleRecord(QStringLiteral("write"), options.port, id);
    record.insert(QStringLiteral("file"), input);
    record.insert(QStringLiteral("eeprom"), eeprom);
    record.insert(QStringLiteral("registers"), Cli::registersJson(registers));
    record.insert(QStringLiteral("refused"), int(plan.refusals.size()));
    record.insert(QStringLiteral("baud"), baud);
    record.insert(QStringLiteral("verified"), QJsonValue::Null);
    if (verify) {
        if (Cli::Interrupt::isRequested())
            Cli::fail(Cli::ModuleFailed,
                      QStringLiteral("interrupted after the write: %1 registers written into %2, "
                                     "not verified")
                          .arg(written)
                          .arg(target));
        // What the EEPROM holds shows after a power cycle, which every later command makes too;
        // a RAM write is read back at once, as the power cycle would undo it.
        if (eeprom) {
            session.port().setBaudRate(baud);
            session.powerCycle();
        }
        const QList<RegisterMismatch> mismatches = verifyWrite(session.link(), plan, letter, sleep);
        QJsonObject differing;
        for (const RegisterMismatch &m : mismatches) {
            Cli::progress(QStringLiteral("register %1: written %2, read %3")
                              .arg(Cli::hexByte(m.reg), Cli::hexByte(m.expected),
                                   m.actual ? Cli::hexByte(*m.actual) : QStringLiteral("nothing")));
            differing.insert(Cli::hexByte(m.reg),
                             QJsonObject{{QStringLiteral("written"), int(m.expected)},
                                         {QStringLiteral("read"),
                                          m.actual ? QJsonValue(*m.actual) : QJsonValue::Null}});
        }
        record.insert(QStringLiteral("verified"), mismatches.isEmpty());
        record.insert(QStringLiteral("mismatches"), differing);
        if (options.json)
            Cli::writeJson(record);
        if (!mismatches.isEmpty())
            Cli::fail(Cli::ModuleFailed,
                      QStringLiteral("verify failed: %1 of %2 registers differ%3")
                          .arg(mismatches.size())
                          .arg(written)
                          .arg(eeprom ? QStringLiteral(" after a power cycle") : QString()));
        if (!options.json)
            Cli::writeLine(
                eeprom ? QStringLiteral("verified: %1 registers, after a power cycle").arg(written)
                       : QStringLiteral("verified: %1 registers").arg(written));
    } else if (options.json) {
        Cli::writeJson(record);
    }
    if (!plan.refusals.isEmpty())
        Cli::fail(Cli::ModuleFailed, QStringLiteral("%1 setting(s) of %2 refused and not written")
                                         .arg(plan.refusals.size())
                                         .arg(input));
    return Cli::Success;
}

const Cli::Registration registration{
    {QStringLiteral("write"), QStringLiteral("write a stored configuration into the module"),
     runWrite}};

} // namespace
