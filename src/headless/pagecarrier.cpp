#include "headless/pagecarrier.h"

#include "link/linewait.h"
#include "module/identification.h"
#include "module/itemcounts.h"

namespace Headless
{

int rateOfItem(const QString &items, int item)
{
    return splitItems(items).value(item).toInt();
}

RateLists rateListsOf(const IdentityRecord &id)
{
    if (const auto lists = rateListsFor(id.typeLetter, id.commandSet.toInt(), id.speed))
        return *lists;
    return {designHfBaudB(), designConfigBaudB(), designHfBaudC(), designRs232BaudC()};
}

PageCarrier::PageCarrier(ModuleSession &session, std::optional<CarrierPhases> phases,
                         QEventLoop &loop)
    : m_session(session), m_phases(phases), m_loop(loop)
{
    const IdentityRecord &id = session.identity();
    m_b = bPageAfterReadout(id, session.registers());
    m_c = cPageAfterReadout(id, session.registers());
    // As the read-out leaves it: the RX/TX switch by command unless UART coding asks for the
    // TX_EN line.
    m_byCommand = !m_b || m_b->rxTx == 1;
}

CarrierConfiguration PageCarrier::configuration() const
{
    CarrierConfiguration now;
    now.cModule = isC();
    if (m_b)
        now.codingB = m_b->code;
    if (m_c)
        now.dataOptionsC = packDataOptions(m_c->data);
    return now;
}

bool PageCarrier::writeConfiguration(const CarrierConfiguration &configuration)
{
    apply(configuration);
    m_changed = write(QStringLiteral("changing its configuration for the carrier"));
    return m_changed;
}

void PageCarrier::restoreConfiguration(const CarrierConfiguration &saved, bool writeToModule)
{
    apply(saved);
    // A failed write is the run's failure.
    if (writeToModule)
        write(QStringLiteral("restoring its configuration"));
}

void PageCarrier::runningChanged(bool running)
{
    if (m_changedRunning)
        m_changedRunning(running);
    if (!running)
        m_loop.quit();
}

int PageCarrier::radioBaud() const
{
    return m_c ? rateOfItem(rateLists().hfBaudC, m_c->hfBaud) : 0;
}

void PageCarrier::report(Report report)
{
    if (report == Report::TransmitTimeTooShort)
        m_failure = QStringLiteral("the transmit time is too short for the radio rate");
    if (report == Report::PhaseTimesMissing)
        m_failure = QStringLiteral("the alternation's times are missing");
}

void PageCarrier::moduleLost()
{
    m_failure = moduleLostText();
    // As the window's disconnect: the output ends without talking to the module again.
    if (m_output)
        m_output->stop();
}

void PageCarrier::switchPcBaud(int item)
{
    if (const auto baud = pcBaudRate(item))
        m_session.port().setBaudRate(*baud);
}

QString PageCarrier::moduleLostText() const
{
    return QStringLiteral("the module did not answer the transmitter switch (5 attempts)");
}

QString PageCarrier::writeFailedText(const QString &doing) const
{
    return QStringLiteral("the module stopped answering while %1 (5 attempts)").arg(doing);
}

bool PageCarrier::executeWrite(const WritePlan &plan)
{
    return executeWritePlan(m_session.link(), plan, *this, [](int ms) { LineWait::sleepMs(ms); });
}

void PageCarrier::apply(const CarrierConfiguration &configuration)
{
    if (m_c) {
        for (int i = 0; i < 5; ++i)
            m_c->data[i] = bitItem(configuration.dataOptionsC, i);
    } else if (m_b) {
        m_b->code = configuration.codingB;
    }
}

// The window's write of the page, into RAM only.
bool PageCarrier::write(const QString &doing)
{
    WritePlan plan;
    if (m_c) {
        m_c->eeprom = false;
        plan = planCWrite(*m_c);
    } else if (m_b) {
        m_b->eeprom = false;
        plan = firmwareType(m_session.typeLetter()) == FirmwareType::Calibration
                   ? planCalibrationWrite(*m_b)
                   : planBWrite(*m_b);
    }
    if (plan.refused()) {
        m_failure = QStringLiteral("%1: the read-out left settings without a value").arg(doing);
        return false;
    }
    if (!executeWrite(plan)) {
        m_failure = writeFailedText(doing);
        return false;
    }
    return true;
}

} // namespace Headless
