#pragma once

#include <QScrollArea>

// Holds a column of controls at its full width, or narrower by what it yields to a neighbour;
// then it scrolls sideways. It never scrolls up and down: its content does that itself.
class YieldingColumn : public QScrollArea
{
    Q_OBJECT
public:
    explicit YieldingColumn(QWidget *column, QWidget *parent = nullptr);

    // The width that the column needs to show everything.
    int fullWidth() const;
    void setYield(int pixels);
    int yield() const { return m_yield; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_yield = 0;
};
