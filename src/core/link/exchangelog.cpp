#include "link/exchangelog.h"

#include <utility>

ExchangeLog::ExchangeLog(ExchangeLogPanes *panes) : m_panes(panes)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    QObject::connect(&m_flushTimer, &QTimer::timeout, [this] { flush(); });
}

QString ExchangeLog::hexText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    // The count of logged bytes is taken modulo 256, as the module's answers never come longer.
    const int count = bytes.size() % 256;
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < count; ++i) {
        const quint8 byte = quint8(bytes[i]);
        text += QLatin1Char(digits[byte >> 4]);
        text += QLatin1Char(digits[byte & 0x0F]);
        text += QLatin1Char(',');
    }
    return text;
}

void ExchangeLog::appendTx(const QByteArray &bytes)
{
    m_txLine += hexText(bytes);
}

void ExchangeLog::appendTxMarker(const QString &text)
{
    m_txLine += text;
}

void ExchangeLog::appendRxMarker(const QString &marker)
{
    m_rxLine += marker;
}

void ExchangeLog::appendRx(const QByteArray &bytes)
{
    m_rxLine += hexText(bytes);
}

void ExchangeLog::endExchange()
{
    m_txWaiting.append(std::exchange(m_txLine, QString()));
    m_rxWaiting.append(std::exchange(m_rxLine, QString()));
    // Lines that would be dropped at once need not wait.
    if (m_rxWaiting.size() > kMaxLines) {
        m_txWaiting.removeFirst();
        m_rxWaiting.removeFirst();
    }
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void ExchangeLog::flush()
{
    m_flushTimer.stop();
    if (m_rxWaiting.isEmpty())
        return;
    if (m_panes)
        m_panes->write(m_txWaiting, m_rxWaiting);
    m_txWaiting.clear();
    m_rxWaiting.clear();
}

void ExchangeLog::clear()
{
    m_flushTimer.stop();
    m_txLine.clear();
    m_rxLine.clear();
    m_txWaiting.clear();
    m_rxWaiting.clear();
    if (m_panes)
        m_panes->clear();
}

void ExchangeLog::showLatest()
{
    if (m_panes)
        m_panes->showLatest();
}
