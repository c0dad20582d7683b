#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>

// Where the finished lines of the log are shown: the debug window's two panes in the window;
// nothing, or standard error, in the command line.
class ExchangeLogPanes
{
public:
    virtual ~ExchangeLogPanes() = default;
    virtual void write(const QStringList &txLines, const QStringList &rxLines) = 0;
    virtual void clear() = 0;
    virtual void showLatest() = 0;
};

// The two panes of the debug window: one line per exchange in each, frames sent on the left,
// answers on the right, so that the lines of both stay paired. Only the last 100 exchanges stay.
//
// The exchange path only collects the lines; they reach the panes when the event loop next runs
// (or at flush()), all at once. A blocking sequence shows nothing before it ends anyway, and so
// the panes' layout costs no time inside the exchanges.
//
// Where it shows its lines is the panes' business: the log is no base class (it has no virtual
// destructor), and whoever makes one keeps its panes beside it, alive for as long as it is.
class ExchangeLog final
{
public:
    static constexpr int kMaxLines = 100;

    explicit ExchangeLog(ExchangeLogPanes *panes = nullptr);
    ExchangeLog(const ExchangeLog &) = delete;
    ExchangeLog &operator=(const ExchangeLog &) = delete;

    // Bytes as two upper-case hex digits each followed by a comma: B0 00 01 gives "B0,00,01,".
    static QString hexText(const QByteArray &bytes);

    // The pieces of the current exchange's line in each pane.
    void appendTx(const QByteArray &bytes);
    // Text as it is, without the comma after each byte (LinkControl's "4C").
    void appendTxMarker(const QString &text);
    void appendRxMarker(const QString &marker);
    void appendRx(const QByteArray &bytes);
    // Ends the exchange: its lines are complete and wait to be written.
    void endExchange();
    // Writes the waiting lines to the panes, drops the oldest line pairs beyond the limit and
    // leaves the caret on a new, empty last line in both.
    void flush();
    void clear();
    // Scrolls both panes to their last line (when the debug window is shown).
    void showLatest();

private:
    ExchangeLogPanes *m_panes;
    QString m_txLine;
    QString m_rxLine;
    QStringList m_txWaiting;
    QStringList m_rxWaiting;
    QTimer m_flushTimer;
};
