#include "link/exchangelog.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <utility>

ExchangeLog::ExchangeLog(QPlainTextEdit *tx, QPlainTextEdit *rx) : m_tx(tx), m_rx(rx)
{
    // The logs run for hours; an undo history would keep every line ever removed.
    m_tx->setUndoRedoEnabled(false);
    m_rx->setUndoRedoEnabled(false);
    // The panes drop their oldest lines themselves: 100 lines and the empty caret line.
    m_tx->setMaximumBlockCount(kMaxLines + 1);
    m_rx->setMaximumBlockCount(kMaxLines + 1);
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
    writeLines(m_tx, m_txWaiting);
    writeLines(m_rx, m_rxWaiting);
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
    m_tx->clear();
    m_rx->clear();
}

void ExchangeLog::writeLines(QPlainTextEdit *edit, const QStringList &lines)
{
    // The last block is the empty caret line; the new lines go in front of the new caret line.
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    // Moving the caret only scrolls the view, which a hidden pane does not need (showLatest
    // scrolls when the debug window opens).
    if (edit->isVisible())
        edit->setTextCursor(cursor);
}

void ExchangeLog::showLatest()
{
    for (QPlainTextEdit *edit : {m_tx, m_rx}) {
        edit->moveCursor(QTextCursor::End);
        edit->ensureCursorVisible();
    }
}
