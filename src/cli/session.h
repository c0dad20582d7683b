#pragma once

#include "options.h"

#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "module/moduleidentity.h"

#include <QObject>
#include <QString>

#include <memory>
#include <utility>

namespace Cli
{

// The port went away outside an exchange (an adapter pulled out): what the system said. The
// command ends with PortFailed once it returns, whatever it returns.
QString portLoss();

// One module on one port: the port, the transaction and dispatcher, and what the module's
// reports told. The command line's counterpart of the connected window.
class Session : public QObject, public DispatchHost
{
    Q_OBJECT
public:
    explicit Session(const CommonOptions &options, QObject *parent = nullptr);
    ~Session() override;

    // Opens the port, restarts the module as the window's connect does and reads its start-up
    // report, then the identification. PortFailed when the port cannot be opened, ModuleFailed
    // when the module does not answer.
    void connect();
    // Restarts the connected module as connect() does, without the identification: what it
    // holds afterwards is what its EEPROM gave it. ModuleFailed without a start-up report.
    void powerCycle();
    // The identification of the connected module.
    const IdentityRecord &identity() const { return m_identity; }
    IdentityRecord &identity() { return m_identity; }
    QString typeLetter() const { return m_identity.typeLetter; }
    // The configuration registers the read-out read (those that failed hold nothing).
    const RegisterRead &registers() const { return m_registers; }
    // ModuleFailed for a module whose software type the program does not serve.
    void requireConfigurable() const;
    // What the start-up report told ("OK", "??? ..."), as the Modulinfo page shows it.
    QString calibrationText() const { return m_calibrationStatus; }
    // The module reported its wake-up since the last call.
    bool takeWokeUp() { return std::exchange(m_wokeUp, false); }

    ComPort &port() { return *m_port; }
    ModuleLink &link() { return *m_link; }
    ExchangeLog &log() { return *m_log; }
    const CommonOptions &options() const { return m_options; }

    // What the module's reports told last (empty / 0 before any).
    QString recalibrationStatus() const { return m_recalibrationStatus; }
    int maximumRssi() const { return m_maximumRssi; }

    // Set while a LinkControl run owns the port: reports are then not dispatched as usual.
    void setLinkControlRunning(bool running) { m_linkControlRunning = running; }

    // DispatchHost
    QString softwareTypeLetter() const override { return m_identity.typeLetter; }
    void setSoftwareTypeLetter(const QString &letter) override { m_identity.typeLetter = letter; }
    QString calibrationStatus() const override { return m_calibrationStatus; }
    void setCalibrationStatus(const QString &text) override { m_calibrationStatus = text; }
    void showRecalibrationStatus(const QString &text) override;
    void showMaximumRssi(int dbm) override;
    void moduleWokeUp(bool cModule) override;
    bool linkControlRunning() const override { return m_linkControlRunning; }

private:
    CommonOptions m_options;
    std::unique_ptr<ExchangeLogPanes> m_panes;
    std::unique_ptr<ComPort> m_port;
    std::unique_ptr<ExchangeLog> m_log;
    std::unique_ptr<ModuleLink> m_link;
    IdentityRecord m_identity;
    RegisterRead m_registers;
    QString m_calibrationStatus;
    QString m_recalibrationStatus;
    int m_maximumRssi = 0;
    bool m_linkControlRunning = false;
    bool m_wokeUp = false;
};

} // namespace Cli
