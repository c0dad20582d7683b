#include "link/modulelink.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "module/identification.h"

#include <QScopeGuard>

namespace
{

constexpr quint8 kRetryLimit = 20;
// A frame answered by reports this many times in a row is given up: the answer counts as failed.
constexpr int kReportLimit = 20;

QString calibrationText(quint8 v)
{
    // The module reports these in German whatever the window's language.
    switch (v) {
    case 0:
        return QStringLiteral("gestartet");
    case 1:
        return QStringLiteral("erfolgreich");
    case 2:
        return QStringLiteral("nicht erfolgreich");
    }
    return {};
}

// Byte i of a frame or answer, 0 where it is shorter.
quint8 byteAt(const QByteArray &bytes, int i)
{
    return i < bytes.size() ? quint8(bytes[i]) : 0;
}

} // namespace

ModuleLink::ModuleLink(ComPort &port, DispatchHost &host, ExchangeLog &log, QObject *parent)
    : QObject(parent), m_port(port), m_host(host), m_log(log)
{
}

void ModuleLink::transaction(quint8 code, quint8 param)
{
    transaction(Frame::make(code, param));
}

void ModuleLink::transaction(const QByteArray &frame)
{
    if (m_state.errorFlag)
        return;
    if (m_state.retryCounter >= kRetryLimit) {
        // A counter that wrapped below zero: the caller lost track; stop talking silently.
        m_port.close();
        m_state.retryCounter = 0;
        return;
    }
    m_state.repeatFlag = true;
    m_reportsInPlace = 0;
    m_unanswered = 0;
    m_inTransaction = true;
    const auto leave = qScopeGuard([this] { m_inTransaction = false; });
    bool resend = false;
    while (m_state.repeatFlag) {
        m_state.repeatFlag = false;
        m_state.lastCommand = frame;
        // Stale input goes before the frame; after it, every byte may be the answer. A resend
        // keeps the input: the answer to the earlier sending comes first and serves for this
        // one. The write returns once the frame has left, so the output clear cannot cut it.
        m_port.clearBuffers(!resend, true);
        m_port.write(frame);
        m_port.clearBuffers(false, true);
        resend = true;
        ++m_unanswered;
        m_log.appendTx(frame);
        dispatchAnswer();
    }
    if (m_unanswered > 0) {
        if (const auto cModule = cDispatcher(); cModule && m_state.lastAnswer.size() >= 2)
            readOffEarlierAnswers(*cModule);
        m_port.clearBuffers(true, true);
    }
}

void ModuleLink::requestRepeat()
{
    if (m_inTransaction && ++m_reportsInPlace > kReportLimit) {
        // Reports in place of the answer, again and again: the caller's retries take over.
        fail("E3 ");
        return;
    }
    m_state.repeatFlag = true;
}

bool ModuleLink::readPastReport(quint8 code)
{
    // Outside a transaction a report is just a report; a code that is the frame's echo (22 00
    // to B0 22 00) is the answer itself.
    if (!m_inTransaction || code == (byteAt(m_state.lastCommand, 1) & 0x7F)) {
        answered();
        return false;
    }
    if (++m_reportsInPlace > kReportLimit) {
        fail("E3 ");
        return false;
    }
    return true;
}

void ModuleLink::answered()
{
    if (m_inTransaction && m_unanswered > 0)
        --m_unanswered;
}

std::optional<bool> ModuleLink::cDispatcher() const
{
    if (m_host.calibrationStatus().isEmpty())
        return std::nullopt;
    // Before the type query (no letter yet) answers are read as a B module's.
    const QString letter = m_host.softwareTypeLetter();
    const FirmwareType type = firmwareType(letter);
    if (letter.isEmpty() || type == FirmwareType::B || type == FirmwareType::Calibration)
        return false;
    if (type == FirmwareType::C)
        return true;
    return std::nullopt;
}

void ModuleLink::dispatchAnswer()
{
    if (m_host.calibrationStatus().isEmpty()) {
        // Start-up report: only its last two bytes count; no error handling in this mode.
        m_state.lastAnswer = m_port.read(3);
        const QByteArray &a = m_state.lastAnswer;
        if (a.size() >= 2) {
            const quint8 mark = quint8(a[a.size() - 2]);
            const quint8 status = quint8(a[a.size() - 1]);
            if (mark == Report::StartupMark0 || mark == Report::StartupMark2) {
                if (status == Report::CalibrationOk)
                    m_host.setCalibrationStatus(QStringLiteral("OK"));
                else if (status == Report::SleepAfterPowerUp)
                    m_host.setCalibrationStatus(
                        QStringLiteral("??? (Sleep nach Powerup eingestellt!)"));
                else if (status == Report::CalibrationMissing)
                    m_host.setCalibrationStatus(QStringLiteral("NOK"));
            }
        }
    } else if (const auto cModule = cDispatcher()) {
        // A report in front of the answer gets a line of its own; the answer is read after it.
        while (dispatch(*cModule)) {
            m_log.appendRx(m_state.lastAnswer);
            m_log.endExchange();
        }
    }
    // (Any other letter reads nothing: the last answer keeps its bytes.) Behind a report that
    // brings a resend, or an answer that earlier sendings of the frame follow with theirs, come
    // answers in order: they stay for the reads that follow.
    const bool answersFollow = m_inTransaction && (m_state.repeatFlag || m_unanswered > 0);
    if (answersFollow)
        m_port.clearBuffers(false, true);
    else
        discardAfterAnswer();
    m_log.appendRx(m_state.lastAnswer);
    m_log.endExchange();
}

void ModuleLink::receiveHandler()
{
    if (m_host.linkControlRunning())
        return;
    dispatchAnswer();
}

std::optional<quint8> ModuleLink::answerByte(int index) const
{
    if (index < 0 || index >= m_state.lastAnswer.size())
        return std::nullopt;
    return quint8(m_state.lastAnswer[index]);
}

bool ModuleLink::readAnswer()
{
    m_state.lastAnswer = m_port.read(2);
    // An answer begun by the deadline was given in time: its second byte is on its way, and a
    // busy PC may take it over late. It gets one more read timeout.
    if (m_state.lastAnswer.size() == 1)
        m_state.lastAnswer += m_port.read(1);
    if (m_state.lastAnswer.size() < 2) {
        fail("E4 ");
        return false;
    }
    return true;
}

bool ModuleLink::isReportCode(quint8 code) const
{
    if (m_host.calibrationStatus().isEmpty())
        return false;
    const QString letter = m_host.softwareTypeLetter();
    switch (firmwareType(letter)) {
    case FirmwareType::C:
        return code == Report::CalibrationC || code == Report::WakeUpC ||
               code == Report::ModuleError;
    case FirmwareType::B:
    case FirmwareType::Calibration:
        break;
    default:
        if (!letter.isEmpty())
            return false;
    }
    return code == Report::CalibrationB || code == Report::CalibrationB2 ||
           code == Report::RssiMaxB || code == Report::WakeUpB || code == Report::ModuleError;
}

void ModuleLink::discardAfterAnswer()
{
    // What waits beyond the answer is discarded, read rather than purged so that nothing is lost
    // between a look and a purge. A report is not cut in half: one whose code has come while its
    // value is on its way (a late PC meets the line at any moment) keeps its code for the next
    // read, which would otherwise begin with the value and stay out of step with the line.
    QByteArray waiting;
    for (QByteArray chunk; !(chunk = m_port.takeWaiting()).isEmpty();) {
        waiting = chunk;
        if (chunk.size() < ComPort::kInputBufferBytes)
            break;
    }
    if (!waiting.isEmpty() && isReportCode(quint8(waiting.back())))
        m_port.giveBack(waiting.right(1));
    m_port.clearBuffers(false, true);
}

void ModuleLink::fail(const char *marker)
{
    m_state.errorFlag = true;
    --m_state.retryCounter; // wraps from 0 to 255 on purpose
    m_log.appendRxMarker(QString::fromLatin1(marker));
}

bool ModuleLink::dispatch(bool cModule)
{
    if (!readAnswer())
        return false;
    const quint8 code = quint8(m_state.lastAnswer[0]);
    const quint8 v = quint8(m_state.lastAnswer[1]);
    switch (takeReport(cModule, code, v)) {
    case ReportKind::None:
        echoCheck();
        return false;
    case ReportKind::Repeat:
        requestRepeat();
        return false;
    case ReportKind::Informs:
        return readPastReport(code);
    case ReportKind::ModuleError:
        answered();
        fail(v == 0 ? "E1 " : "E2 ");
        return false;
    }
    return false;
}

ModuleLink::ReportKind ModuleLink::takeReport(bool cModule, quint8 code, quint8 v)
{
    if (code == Report::ModuleError)
        return ReportKind::ModuleError;
    if (!cModule) {
        switch (code) {
        case Report::CalibrationB:
        case Report::CalibrationB2:
            return calibrationReport(v, false);
        case Report::RssiMaxB:
            m_host.showMaximumRssi(qint8(v));
            return ReportKind::Repeat;
        case Report::WakeUpB:
            if (v != 1)
                return ReportKind::Informs;
            m_host.moduleWokeUp(false);
            return ReportKind::Repeat;
        }
        return ReportKind::None;
    }
    switch (code) {
    case Report::CalibrationC:
        return calibrationReport(v, true);
    case Report::WakeUpC:
        if (v != 1)
            return ReportKind::Informs;
        m_port.setRts(true);
        m_host.moduleWokeUp(true);
        return ReportKind::Repeat;
    }
    return ReportKind::None;
}

ModuleLink::ReportKind ModuleLink::calibrationReport(quint8 v, bool cModule)
{
    if (v > 2)
        return ReportKind::Informs;
    const bool finished = v != 0;
    // A C module ends its recalibration ready to take RTS again.
    if (finished && cModule)
        m_port.setRts(true);
    m_host.showRecalibrationStatus(calibrationText(v));
    // The result of the recalibration that the frame being answered started: the module has
    // done what was asked, and sending the frame again would start another recalibration.
    const quint8 recalibrate = cModule ? Frame::RecalibrateC : Frame::RecalibrateB;
    const bool answersItsCommand = m_inTransaction && m_state.lastCommand.size() > 1 &&
                                   quint8(m_state.lastCommand[1]) == recalibrate;
    return finished && !answersItsCommand ? ReportKind::Repeat : ReportKind::Informs;
}

void ModuleLink::readOffEarlierAnswers(bool cModule)
{
    // The module answers every sending, in order: what the earlier ones owe comes right behind
    // the answer read. Reports among them take effect but bring no resend; an answer there is
    // discarded, whatever it holds, except that a module error still fails the frame.
    const quint8 c1 = byteAt(m_state.lastCommand, 1);
    const quint8 c2 = byteAt(m_state.lastCommand, 2);
    for (int reads = m_unanswered + kReportLimit; m_unanswered > 0 && reads > 0; --reads) {
        QByteArray unit = m_port.read(2);
        if (unit.size() < 2) {
            // Nothing more comes: the module did not answer that sending (it was asleep, or
            // sent the report in place of the answer).
            if (!unit.isEmpty()) {
                m_log.appendRx(unit);
                m_log.endExchange();
            }
            return;
        }
        const quint8 code = quint8(unit[0]);
        const ReportKind kind = takeReport(cModule, code, quint8(unit[1]));
        if (code == (c1 & 0x7F) || kind == ReportKind::None || kind == ReportKind::ModuleError) {
            --m_unanswered;
            if (kind == ReportKind::ModuleError)
                fail(unit[1] == 0 ? "E1 " : "E2 ");
            else if (code == Frame::Identify && c1 == Frame::Identify)
                unit += m_port.read(Frame::continuationOf(c2));
        }
        m_log.appendRx(unit);
        m_log.endExchange();
    }
}

void ModuleLink::echoCheck()
{
    answered();
    const quint8 c1 = byteAt(m_state.lastCommand, 1);
    const quint8 c2 = byteAt(m_state.lastCommand, 2);
    if (quint8(m_state.lastAnswer[0]) != (c1 & 0x7F)) {
        fail("E3 ");
        return;
    }
    if (c1 != Frame::Identify)
        return;
    const int more = Frame::continuationOf(c2);
    if (more == 0)
        return;
    const QByteArray continuation = m_port.read(more);
    m_state.lastAnswer += continuation;
    // A continuation cut short counts as a failed answer, so no decoder reads missing bytes.
    if (continuation.size() < more)
        fail("E4 ");
}
