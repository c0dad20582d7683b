#pragma once

#include "headless/modulesession.h"

#include "module/registerdecoding.h"
#include "module/tables.h"
#include "module/writeexecution.h"
#include "rf/carrier.h"
#include "rf/mscountdown.h"

#include <QEventLoop>

#include <functional>
#include <optional>

namespace Headless
{

// The rate an item of a rate selector stands for (0 when it is not a number).
int rateOfItem(const QString &items, int item);
// The rate selectors' items for the module the session read out (the design's when the table
// does not know it).
RateLists rateListsOf(const IdentityRecord &id);

// The carrier's front end without a window: the page values of the read-out are the module's
// record, a configuration change is the window's write of that page into RAM, and the run's
// failures are kept for the caller. The loop ends when the carrier goes off.
class PageCarrier : public CarrierHost, public WriteObserver
{
public:
    PageCarrier(ModuleSession &session, std::optional<CarrierPhases> phases, QEventLoop &loop);

    void setOutput(CarrierOutput *output) { m_output = output; }
    // Called when the carrier goes on (after the configuration change it needs) and when it goes
    // off.
    void setRunningChanged(std::function<void(bool)> changed)
    {
        m_changedRunning = std::move(changed);
    }

    bool isC() const { return m_c.has_value(); }
    std::optional<CPageValues> cPage() const { return m_c; }
    // Why the run failed, or empty.
    QString failure() const { return m_failure; }
    bool configurationChanged() const { return m_changed; }
    RateLists rateLists() const { return rateListsOf(m_session.identity()); }

    // CarrierHost
    bool cModule() const override { return isC(); }
    bool rxTxSwitchByCommand() const override { return m_byCommand; }
    bool connected() const override { return m_session.port().isOpen() && m_failure.isEmpty(); }
    CarrierConfiguration configuration() const override;
    bool writeConfiguration(const CarrierConfiguration &configuration) override;
    void restoreConfiguration(const CarrierConfiguration &saved, bool writeToModule) override;
    void runningChanged(bool running) override;
    bool phaseTimesGiven() const override { return m_phases.has_value(); }
    std::optional<CarrierPhases> phaseTimes() const override { return m_phases; }
    int radioBaud() const override;
    void report(Report report) override;
    void moduleLost() override;

    // WriteObserver: the PC follows the module's serial rate, as the window's selector does.
    void switchPcBaud(int item) override;
    void setRxTxSwitchByCommand(bool byCommand) override { m_byCommand = byCommand; }

protected:
    // The failure when the module did not answer the transmitter switch, and when it stopped
    // answering a write while doing something.
    virtual QString moduleLostText() const;
    virtual QString writeFailedText(const QString &doing) const;
    // The write of a plan to the module; false when it stopped answering.
    virtual bool executeWrite(const WritePlan &plan);

    ModuleSession &m_session;

private:
    void apply(const CarrierConfiguration &configuration);
    bool write(const QString &doing);

    std::optional<CarrierPhases> m_phases;
    QEventLoop &m_loop;
    CarrierOutput *m_output = nullptr;
    std::function<void(bool)> m_changedRunning;
    std::optional<BPageValues> m_b;
    std::optional<CPageValues> m_c;
    bool m_byCommand = true;
    bool m_changed = false;
    QString m_failure;
};

// The carrier output on the session's line for a host, with the state the window keeps beside it
// (the timer, the streaming flag, the transmitter's state) held for it.
class SessionCarrierOutput
{
public:
    SessionCarrierOutput(ModuleSession &session, PageCarrier &host)
        : m_output(CarrierLine{session.link(), m_countdown, m_timer, m_streaming, m_txState}, host)
    {
        host.setOutput(&m_output);
    }
    CarrierOutput &output() { return m_output; }

private:
    MsCountdown m_countdown{0};
    MmTimerSlot m_timer{m_countdown};
    bool m_streaming = false;
    int m_txState = 0;
    CarrierOutput m_output;
};

} // namespace Headless
