#include "link/exchangelog.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

ExchangeLog::ExchangeLog(QPlainTextEdit *tx, QPlainTextEdit *rx) : m_tx(tx), m_rx(rx) {}

QString ExchangeLog::hexText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    // The count of logged bytes is taken modulo 256, as the module's answers never come longer.
    const int count = bytes.size() % 256;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("%1,").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
    return text;
}

void ExchangeLog::appendTx(const QByteArray &bytes)
{
    appendAtEnd(m_tx, hexText(bytes));
}

void ExchangeLog::appendRxMarker(const QString &marker)
{
    appendAtEnd(m_rx, marker);
}

void ExchangeLog::appendRx(const QByteArray &bytes)
{
    appendAtEnd(m_rx, hexText(bytes));
}

void ExchangeLog::endExchange()
{
    if (m_rx->document()->blockCount() > kMaxLines) {
        removeFirstLine(m_rx);
        removeFirstLine(m_tx);
    }
    appendAtEnd(m_tx, QStringLiteral("\n"));
    appendAtEnd(m_rx, QStringLiteral("\n"));
}

void ExchangeLog::clear()
{
    m_tx->clear();
    m_rx->clear();
}

void ExchangeLog::appendAtEnd(QPlainTextEdit *edit, const QString &text)
{
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    if (text == QLatin1String("\n"))
        cursor.insertBlock();
    else
        cursor.insertText(text);
    // The pane's own caret sits at the end and moves along with the insertion; setting it again
    // only scrolls the view, which a hidden pane does not need (showLatest scrolls on showing).
    if (edit->isVisible() || edit->textCursor().position() != cursor.position())
        edit->setTextCursor(cursor);
}

void ExchangeLog::showLatest()
{
    for (QPlainTextEdit *edit : {m_tx, m_rx}) {
        edit->moveCursor(QTextCursor::End);
        edit->ensureCursorVisible();
    }
}

void ExchangeLog::removeFirstLine(QPlainTextEdit *edit)
{
    QTextCursor cursor(edit->document()->firstBlock());
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}
