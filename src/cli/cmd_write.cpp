// korvel-cli write: a stored configuration into the module, with the window's rules and
// refusals, and on request read back and compared register by register.

#include "commands.h"
#include "failure.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "link/linewait.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/storedfilecheck.h"
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

int runWrite(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("write"),
        QStringLiteral("write -p PORT [-b BAUD] -i FILE [--eeprom] [--verify]"),
        QStringLiteral("Writes a stored configuration (a file the window saved, or korvel-cli "
                       "read wrote) into the module's RAM, with --eeprom into its EEPROM as well. "
                       "With --verify every written register is read back and compared."));
    parser.parser().addOptions({
        {{QStringLiteral("i"), QStringLiteral("input")},
         QStringLiteral("The stored-configuration file."),
         QStringLiteral("FILE")},
        {QStringLiteral("eeprom"), QStringLiteral("Store the configuration in the EEPROM too.")},
        {QStringLiteral("verify"), QStringLiteral("Read every register back and compare.")},
    });
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common();
    const QString input = parser.parser().value(QStringLiteral("input"));
    if (input.isEmpty())
        parser.usage(QStringLiteral("no file given: use -i FILE"));
    const bool eeprom = parser.parser().isSet(QStringLiteral("eeprom"));
    const bool verify = parser.parser().isSet(QStringLiteral("verify"));

    // The file is read before the module is touched.
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
        useStoredConfig(file.bytes, true, letter, !cPage, cPage, bItemCounts(id), cItemCounts(id));
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

    CliWrite observer(session.port());
    const auto sleep = [](int ms) { LineWait::sleepMs(ms); };
    if (!executeWritePlan(session.link(), plan, observer, sleep))
        Cli::fail(Cli::ModuleFailed,
                  QStringLiteral("the module on %1 stopped answering during the write "
                                 "(5 attempts)")
                      .arg(options.port));
    const int written = int(plannedRegisters(plan).size());
    Cli::writeLine(QStringLiteral("written: %1 registers into %2")
                       .arg(written)
                       .arg(eeprom ? QStringLiteral("RAM and EEPROM") : QStringLiteral("RAM")));
    if (observer.newBaud() != 0 && observer.newBaud() != options.baud)
        Cli::progress(QStringLiteral("note: the module now talks at %1 baud (use -b %1)")
                          .arg(observer.newBaud()));

    if (verify) {
        const QList<RegisterMismatch> mismatches = verifyWrite(session.link(), plan, letter, sleep);
        for (const RegisterMismatch &m : mismatches) {
            Cli::progress(QStringLiteral("register %1: written %2, read %3")
                              .arg(Cli::hexByte(m.reg), Cli::hexByte(m.expected),
                                   m.actual ? Cli::hexByte(*m.actual) : QStringLiteral("nothing")));
        }
        if (!mismatches.isEmpty())
            Cli::fail(Cli::ModuleFailed, QStringLiteral("verify failed: %1 of %2 registers differ")
                                             .arg(mismatches.size())
                                             .arg(written));
        Cli::writeLine(QStringLiteral("verified: %1 registers").arg(written));
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
