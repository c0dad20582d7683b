#pragma once

#include "rf/mscountdown.h"

#include <QObject>
#include <QtGlobal>

#include <optional>
#include <utility>

class ModuleLink;
class ModuleHost;
class QLineEdit;
class QPushButton;
struct AppControls;
struct HfTestControls;
struct KonfigBControls;
struct KonfigCControls;
struct SharedState;

// Halves go to the even neighbour, as every rounding of the program.
qint64 roundHalfEven(qint64 numerator, qint64 denominator);

// The pattern bytes a C module gets at the start of each alternation period: a = 40000 / HF
// (the time its radio needs before it sends, in ms), c = (TX - a) × HF, R = c / 9000, both
// rounded to the nearest integer; R - 2 bytes are written, and a period with R - 3 < 1 is too
// short for the radio rate.
struct CarrierBurst {
    qint64 a = 0;
    qint64 c = 0;
    qint64 R = 0;
    bool tooShort() const { return R - 3 < 1; }
    qint64 bytes() const { return R - 2; }
};
CarrierBurst carrierBurst(qint64 transmitMs, qint64 radioBaud);

// A time typed into a time edit: a whole number of milliseconds, or nothing.
std::optional<int> parseWholeMs(const QString &text);

// The transmit and receive times an alternation accepts, in ms: a phase of at least 1 ms and at
// most a minute, so that a period (transmit plus receive) stays well inside the countdown.
constexpr int kPhaseMinMs = 1;
constexpr int kPhaseMaxMs = 60000;
constexpr bool phaseTimeInRange(int ms)
{
    return ms >= kPhaseMinMs && ms <= kPhaseMaxMs;
}

// Where the carrier test works: the controls it reads and changes, the link, the shared running
// state and the 1 ms countdown.
struct CarrierContext {
    HfTestControls &hf;
    KonfigBControls &b;
    KonfigCControls &c;
    AppControls &app;
    QLineEdit *Edit_SW_Typ;
    QPushButton *BtnMonitor_Start;
    ModuleLink &link;
    ModuleHost &host;
    SharedState &shared;
    int &TxState;
    MsCountdown &countdown;
    MmTimerSlot &timer;
};

// The carrier output test of the RF-tests page: the module transmits continuously or alternates
// between receive and transmit. A B module's transmitter is switched; a C module is fed pattern
// bytes, one on every transmit-buffer-empty event of the port or a burst at the start of every
// alternation period. The configuration it needs goes to the module's RAM at Start and the
// previous one is written back at Stop. The caption of BtnStartHF_Test is its running state.
class CarrierTest : public QObject
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

    void SwitchTransmitter(int state);
    void RunRxTxAlternation();

    bool running() const;
    // An alternation loop is still on the stack (it returns after its current wait).
    bool loopActive() const { return m_loopActive; }
    quint8 testByte() const { return m_TestByte; }

private:
    void start();
    void stop();
    bool startRefused(bool cVersion, bool alternate);
    bool prepareConfiguration(bool cVersion);
    void restoreConfiguration(bool writeToModule);
    void alternateB();
    void alternateC();
    // The transmit and receive times of the next period. They are checked at Start and locked
    // since; should a program make them unreadable, the test is stopped and nothing is returned.
    std::optional<std::pair<int, int>> phaseTimes();
    void setControlsEnabled(bool enabled);
    // Switches the transmitter with the usual five attempts; false when they all failed.
    bool switchWithRetries(int state, bool byCommand);
    // A switch failed for good: the window disconnects, which stops the test without talking to
    // the module again, and the user is told once.
    void reportModuleLost();
    // Refuses a time edit that is not a whole number in the accepted range.
    bool timeRefused(const QLineEdit *edit, const char *germanName, const char *englishName);
    void endAfterPortFailure();
    bool isConnected() const;
    bool cVersion() const;
    void message(const char *german, const char *english);

    CarrierContext m_ctx;
    quint8 m_TestByte = 0xFF;
    quint8 m_SavedCodeB = 0;
    quint8 m_SavedDataOptionsC = 6;
    bool m_startedAsC = false;
    bool m_stopping = false;
    bool m_loopActive = false;
    bool m_moduleLost = false;
};
