#pragma once

#include "link/exchangelog.h"

class QPlainTextEdit;

// The debug window's two panes as the exchange log's display: frames sent on the left, answers
// on the right, at most ExchangeLog::kMaxLines lines each and the empty caret line.
class DebugPanes : public ExchangeLogPanes
{
public:
    DebugPanes(QPlainTextEdit *tx, QPlainTextEdit *rx);

    void write(const QStringList &txLines, const QStringList &rxLines) override;
    void clear() override;
    void showLatest() override;

private:
    static void writeLines(QPlainTextEdit *edit, const QStringList &lines);

    QPlainTextEdit *m_tx;
    QPlainTextEdit *m_rx;
};
