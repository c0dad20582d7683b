#pragma once

#include "rf/linkhistory.h"

#include <QList>
#include <QPointF>
#include <QWidget>

#include <array>

class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// The "Verlauf" window of LinkControl: signal and noise of both modules in dBm and the share
// received over the last cycles in percent, over the time of day, with lost cycles marked on the
// time axis. It redraws when told to and only when the history has changed; its owner paces
// that, so a fast run costs little drawing.
class LinkHistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // Points per line at most; longer histories are condensed for the display.
    static constexpr int kMaxPoints = 1000;

    explicit LinkHistoryWindow(const LinkHistory &history, QWidget *parent = nullptr);

    void applyLanguage(int languageIndex);
    // Redraws from the history if it changed since the last redraw.
    void refresh();

    // What the chart shows now, for tests.
    QList<QPointF> points(LinkHistory::Quantity quantity) const;
    QList<QPointF> lostMarks() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    const LinkHistory &m_history;
    quint64 m_shownRevision = ~quint64(0);
    QChart *m_chart;
    QChartView *m_view;
    QDateTimeAxis *m_time;
    QValueAxis *m_dbm;
    QValueAxis *m_percent;
    std::array<QLineSeries *, LinkHistory::kQuantities> m_lines{};
    QScatterSeries *m_lost;
};
