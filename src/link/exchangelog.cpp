#include "link/exchangelog.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

ExchangeLog::ExchangeLog(QPlainTextEdit *tx, QPlainTextEdit *rx) : m_tx(tx), m_rx(rx)
{
    // The logs run for hours; an undo history would keep every line ever removed.
    m_tx->setUndoRedoEnabled(false);
    m_rx->setUndoRedoEnabled(false);
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
    // The RX pane decides: once it holds more than the limit, the oldest pair goes.
    const bool dropOldest = m_rx->document()->blockCount() > kMaxLines;
    writeLine(m_tx, m_txLine, dropOldest);
    writeLine(m_rx, m_rxLine, dropOldest);
    m_txLine.clear();
    m_rxLine.clear();
}

void ExchangeLog::clear()
{
    m_txLine.clear();
    m_rxLine.clear();
    m_tx->clear();
    m_rx->clear();
}

void ExchangeLog::writeLine(QPlainTextEdit *edit, const QString &text, bool dropOldest)
{
    // The whole line goes in at once rather than piece by piece.
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    if (!text.isEmpty())
        cursor.insertText(text);
    if (dropOldest && edit->document()->blockCount() > 1) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.movePosition(QTextCursor::End);
    }
    cursor.insertBlock();
    edit->setTextCursor(cursor);
}
