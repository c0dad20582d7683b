#include "window/debugpanes.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

DebugPanes::DebugPanes(QPlainTextEdit *tx, QPlainTextEdit *rx) : m_tx(tx), m_rx(rx)
{
    // The logs run for hours; an undo history would keep every line ever removed.
    m_tx->setUndoRedoEnabled(false);
    m_rx->setUndoRedoEnabled(false);
    // The panes drop their oldest lines themselves: 100 lines and the empty caret line.
    m_tx->setMaximumBlockCount(ExchangeLog::kMaxLines + 1);
    m_rx->setMaximumBlockCount(ExchangeLog::kMaxLines + 1);
}

void DebugPanes::write(const QStringList &txLines, const QStringList &rxLines)
{
    writeLines(m_tx, txLines);
    writeLines(m_rx, rxLines);
}

void DebugPanes::clear()
{
    m_tx->clear();
    m_rx->clear();
}

void DebugPanes::writeLines(QPlainTextEdit *edit, const QStringList &lines)
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

void DebugPanes::showLatest()
{
    for (QPlainTextEdit *edit : {m_tx, m_rx}) {
        edit->moveCursor(QTextCursor::End);
        edit->ensureCursorVisible();
    }
}
