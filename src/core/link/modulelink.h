#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class ComPort;
class ExchangeLog;

// The link state shared by every sequence that talks to the module. Touched only on the UI thread.
struct LinkState {
    bool errorFlag = false;  // set by the dispatcher on a failed answer; callers clear it
    quint8 retryCounter = 0; // callers set 5; every failed answer subtracts 1 (wrapping)
    bool repeatFlag = false; // the bytes just read were a report: the frame goes out again
    QByteArray lastCommand;
    QByteArray lastAnswer;
};

// What the dispatcher reads from and writes to the window: the module record that steers it and
// the controls that the module's unsolicited reports update.
class DispatchHost
{
public:
    virtual ~DispatchHost() = default;
    virtual QString softwareTypeLetter() const = 0; // text of Edit_SW_Typ
    // The type query told the letter: the answers that follow are dispatched by it.
    virtual void setSoftwareTypeLetter(const QString &letter) = 0;
    virtual QString calibrationStatus() const = 0; // text of Edit_Caldata
    virtual void setCalibrationStatus(const QString &text) = 0;
    // Edit_Recall_stat gets the text, Label_last_cal_uhr the time of day.
    virtual void showRecalibrationStatus(const QString &text) = 0;
    // Edit_RSSI_MAX gets "<dbm>dBm", Label_last_RSSI_MAX_Uhr the time of day.
    virtual void showMaximumRssi(int dbm) = 0;
    // The module woke up; cModule selects the C variant of the button list.
    virtual void moduleWokeUp(bool cModule) = 0;
    virtual bool linkControlRunning() const = 0;
};

// The command transaction and the response dispatcher over the program's one port.
class ModuleLink : public QObject
{
    Q_OBJECT
public:
    ModuleLink(ComPort &port, DispatchHost &host, ExchangeLog &log, QObject *parent = nullptr);

    LinkState &state() { return m_state; }
    const LinkState &state() const { return m_state; }
    ComPort &port() { return m_port; }
    DispatchHost &host() { return m_host; }

    // Sends one 3-byte frame B0 code param, reads and dispatches the answer. Does nothing while
    // the error flag is set. A frame answered by a report goes out again; a report that asks for
    // nothing is read past to the answer behind it. After 20 reports in place of the answer it
    // counts as failed ("E3 "). The answers that earlier sendings of the frame still owe are read
    // off before it returns, so that none is taken for the next frame's. Port failures throw
    // PortError.
    void transaction(quint8 code, quint8 param);
    void transaction(const QByteArray &frame);
    // Reads and decodes one answer (start-up report while Edit_Caldata is empty).
    void dispatchAnswer();
    // Handler of the port's bytes-received event.
    void receiveHandler();

    // Second byte of the last answer (the value of a register read, the a1 of a query), or
    // nothing when the answer is shorter.
    std::optional<quint8> answerByte(int index) const;

private:
    // What a report asks of the frame being answered.
    enum class ReportKind { None, Repeat, Informs, ModuleError };

    // The dispatcher of the software type letter: B (also for "x" and no letter yet) or C;
    // nothing for another letter or while the start-up report is due.
    std::optional<bool> cDispatcher() const;
    // Reads and acts on one answer; true when it was a report in front of the answer, which is
    // then still to be read.
    bool dispatch(bool cModule);
    bool readAnswer();
    // The dispatcher's clear after an answer.
    void discardAfterAnswer();
    bool isReportCode(quint8 code) const;
    void echoCheck();
    // Lets the report with this code take effect, if the firmware has one.
    ReportKind takeReport(bool cModule, quint8 code, quint8 v);
    ReportKind calibrationReport(quint8 v, bool cModule);
    // A report came instead of the answer: the frame goes out again, within the report limit.
    void requestRepeat();
    bool readPastReport(quint8 code);
    // Bytes in the answer's place that answer a sending of the frame.
    void answered();
    void readOffEarlierAnswers(bool cModule);
    void fail(const char *marker);

    ComPort &m_port;
    DispatchHost &m_host;
    ExchangeLog &m_log;
    LinkState m_state;
    bool m_inTransaction = false;
    int m_reportsInPlace = 0; // reports read in place of the current frame's answer
    int m_unanswered = 0;     // sendings of the current frame whose answer is not read yet
};
