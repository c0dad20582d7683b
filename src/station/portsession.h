#pragma once

#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "module/moduleidentity.h"

#include <QObject>
#include <QString>

#include <memory>

namespace Station
{

// One port of the station with the module on it: the port, the transaction and dispatcher, and
// what the module's reports told. Every port has its own and uses it on its own thread only.
class PortSession : public QObject, public DispatchHost
{
    Q_OBJECT
public:
    PortSession(const QString &port, qint32 baud, QObject *parent = nullptr);
    ~PortSession() override;

    QString portName() const { return m_portName; }

    // Powers the module up anew (opening the port, or closing and reopening it) and reads its
    // start-up report. False when none came.
    bool powerUp();
    // The identification and the configuration registers; false when the module stopped
    // answering.
    bool readOut();
    void close();

    // Listens for the start-up report of the next module while the port stays open; emits
    // moduleArrived once it came. discardWaiting drops what the module before left on the line;
    // a port just opened keeps what came, the start-up report of the module it powered up.
    void listenForModule(bool discardWaiting);

    const IdentityRecord &identity() const { return m_identity; }
    const RegisterRead &registers() const { return m_registers; }
    QString typeLetter() const { return m_identity.typeLetter; }
    QString calibrationText() const { return m_calibrationStatus; }
    QString recalibrationText() const { return m_recalibrationStatus; }
    void clearRecalibration() { m_recalibrationStatus.clear(); }
    // What the system said when the port went away outside an exchange, or empty.
    QString lossText() const { return m_loss; }

    ComPort &port() { return *m_port; }
    ModuleLink &link() { return *m_link; }
    ExchangeLog &log() { return *m_log; }
    qint32 baud() const { return m_baud; }

    void setLinkControlRunning(bool running) { m_linkControlRunning = running; }

    // DispatchHost
    QString softwareTypeLetter() const override { return m_identity.typeLetter; }
    void setSoftwareTypeLetter(const QString &letter) override { m_identity.typeLetter = letter; }
    QString calibrationStatus() const override { return m_calibrationStatus; }
    void setCalibrationStatus(const QString &text) override;
    void showRecalibrationStatus(const QString &text) override { m_recalibrationStatus = text; }
    void showMaximumRssi(int) override {}
    void moduleWokeUp(bool) override {}
    bool linkControlRunning() const override { return m_linkControlRunning; }

signals:
    void moduleArrived();
    void lost(const QString &text);

private:
    QString m_portName;
    qint32 m_baud;
    std::unique_ptr<ComPort> m_port;
    std::unique_ptr<ExchangeLog> m_log;
    std::unique_ptr<ModuleLink> m_link;
    IdentityRecord m_identity;
    RegisterRead m_registers;
    QString m_calibrationStatus;
    QString m_recalibrationStatus;
    QString m_loss;
    bool m_linkControlRunning = false;
    bool m_listening = false;
};

} // namespace Station
