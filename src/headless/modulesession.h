#pragma once

#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "module/moduleidentity.h"

#include <QObject>
#include <QString>

#include <memory>
#include <utility>

namespace Headless
{

// One module on one port without a window: the port, the transaction and dispatcher, and what
// the module's reports told. Each session keeps what happened to its own port, so that sessions
// on several threads stay apart; a session is used on one thread only.
class ModuleSession : public QObject, public DispatchHost
{
    Q_OBJECT
public:
    // panes, when given, show the exchanges as they are logged.
    ModuleSession(const QString &port, qint32 baud,
                  std::unique_ptr<ExchangeLogPanes> panes = nullptr, QObject *parent = nullptr);
    ~ModuleSession() override;

    QString portName() const { return m_portName; }
    qint32 baud() const { return m_baud; }

    // Powers the module up anew as the window's connect does (opening the port, or closing and
    // reopening it) and reads its start-up report. False when none came.
    bool powerUp();
    // The identification and the configuration registers; false when the module stopped
    // answering.
    bool readOut();
    void close();

    const IdentityRecord &identity() const { return m_identity; }
    IdentityRecord &identity() { return m_identity; }
    // The configuration registers the read-out read (those that failed hold nothing).
    const RegisterRead &registers() const { return m_registers; }
    QString typeLetter() const { return m_identity.typeLetter; }
    // What the start-up report told ("OK", "??? ..."), as the Modulinfo page shows it.
    QString calibrationText() const { return m_calibrationStatus; }
    // What the module's reports told last (empty / 0 before any).
    QString recalibrationText() const { return m_recalibrationStatus; }
    void clearRecalibration() { m_recalibrationStatus.clear(); }
    int maximumRssi() const { return m_maximumRssi; }
    // The module reported its wake-up since the last call.
    bool takeWokeUp() { return std::exchange(m_wokeUp, false); }
    // What the system said when the port went away outside an exchange (an adapter pulled out),
    // the first time, or empty.
    QString lossText() const { return m_loss; }

    ComPort &port() { return *m_port; }
    ModuleLink &link() { return *m_link; }
    ExchangeLog &log() { return *m_log; }

    // Set while a LinkControl run owns the port: reports are then not dispatched as usual.
    void setLinkControlRunning(bool running) { m_linkControlRunning = running; }

    // DispatchHost
    QString softwareTypeLetter() const override { return m_identity.typeLetter; }
    void setSoftwareTypeLetter(const QString &letter) override { m_identity.typeLetter = letter; }
    QString calibrationStatus() const override { return m_calibrationStatus; }
    void setCalibrationStatus(const QString &text) override { m_calibrationStatus = text; }
    void showRecalibrationStatus(const QString &text) override { m_recalibrationStatus = text; }
    void showMaximumRssi(int dbm) override { m_maximumRssi = dbm; }
    void moduleWokeUp(bool) override { m_wokeUp = true; }
    bool linkControlRunning() const override { return m_linkControlRunning; }

signals:
    // The port went away outside an exchange.
    void lost(const QString &text);

protected:
    // The read-out's type query told a letter the program does not serve.
    virtual void unknownSoftwareType(const QString &letter) { Q_UNUSED(letter); }

    IdentityRecord m_identity;
    RegisterRead m_registers;

private:
    QString m_portName;
    qint32 m_baud;
    std::unique_ptr<ExchangeLogPanes> m_panes;
    std::unique_ptr<ComPort> m_port;
    std::unique_ptr<ExchangeLog> m_log;
    std::unique_ptr<ModuleLink> m_link;
    QString m_calibrationStatus;
    QString m_recalibrationStatus;
    QString m_loss;
    int m_maximumRssi = 0;
    bool m_linkControlRunning = false;
    bool m_wokeUp = false;
};

} // namespace Headless
