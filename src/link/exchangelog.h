#pragma once

#include <QByteArray>
#include <QString>

class QPlainTextEdit;

// The two panes of the debug window: one line per exchange in each, frames sent on the left,
// answers on the right, so that the lines of both stay paired. Only the last 100 exchanges stay.
class ExchangeLog
{
public:
    static constexpr int kMaxLines = 100;

    ExchangeLog(QPlainTextEdit *tx, QPlainTextEdit *rx);

    // Bytes as two upper-case hex digits each followed by a comma: B0 00 01 gives "B0,00,01,".
    static QString hexText(const QByteArray &bytes);

    void appendTx(const QByteArray &bytes);
    void appendRxMarker(const QString &marker);
    void appendRx(const QByteArray &bytes);
    // Ends the exchange: drops the oldest line pair beyond the limit and opens a new line in both.
    void endExchange();
    void clear();
    // Scrolls both panes to their last line (when the debug window is shown).
    void showLatest();

private:
    static void appendAtEnd(QPlainTextEdit *edit, const QString &text);
    static void removeFirstLine(QPlainTextEdit *edit);

    QPlainTextEdit *m_tx;
    QPlainTextEdit *m_rx;
};
