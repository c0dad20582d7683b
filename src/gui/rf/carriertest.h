#pragma once

#include "rf/carrier.h"

#include <QObject>
#include <QtGlobal>

class Activities;
class ModuleLink;
class ModuleHost;
class QLineEdit;
struct AppControls;
struct HfTestControls;
struct KonfigBControls;
struct KonfigCControls;
struct SharedState;

// Where the carrier test works: the controls it reads and changes, the link, the window's
// shared state and what else runs on the port.
struct CarrierContext {
    HfTestControls &hf;
    KonfigBControls &b;
    KonfigCControls &c;
    AppControls &app;
    QLineEdit *Edit_SW_Typ;
    ModuleLink &link;
    ModuleHost &host;
    SharedState &shared;
    Activities &activities;
};

// The carrier output test of the RF-tests page: its refusals, messages, caption and controls
// around the carrier output of the core. The caption of BtnStartHF_Test is its running state.
struct MessageText;

class CarrierTest : public QObject, private CarrierHost
{
    Q_OBJECT
public:
    explicit CarrierTest(const CarrierContext &context, QObject *parent = nullptr);

    // Handlers.
    void BtnStartHF_TestClick();
    void ComPort1TxEmpty();
    void CBox_RX_TX_Switch_TestChange();
    // The port went away outside an operation (already reported): the test ends without it.
    void portFailed();
    // The window disconnected: no carrier settings chosen, the start button usable again.
    void disconnected(const QString &placeholder);

    void SwitchTransmitter(int state);
    void RunRxTxAlternation();

    bool running() const;
    // An alternation loop is still on the stack (it returns after its current wait).
    bool loopActive() const { return m_output.loopActive(); }
    quint8 testByte() const { return m_output.testByte(); }

private:
    void start();
    bool startRefused(bool cVersion, bool alternate);
    void setControlsEnabled(bool enabled);
    // Refuses a time edit that is not a whole number in the accepted range.
    bool timeRefused(const QLineEdit *edit, const char *germanName, const char *englishName);
    bool isConnected() const;
    bool cVersion() const;
    void message(const char *german, const char *english);
    void message(const MessageText &text);

    // CarrierHost
    bool cModule() const override { return cVersion(); }
    bool rxTxSwitchByCommand() const override;
    bool connected() const override { return isConnected(); }
    CarrierConfiguration configuration() const override;
    bool writeConfiguration(const CarrierConfiguration &configuration) override;
    void restoreConfiguration(const CarrierConfiguration &saved, bool writeToModule) override;
    void runningChanged(bool running) override;
    bool phaseTimesGiven() const override;
    std::optional<CarrierPhases> phaseTimes() const override;
    int radioBaud() const override;
    void report(Report report) override;
    void moduleLost() override;

    CarrierContext m_ctx;
    CarrierOutput m_output;
};
