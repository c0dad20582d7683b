#pragma once

#include "monitor/csvexport.h"

#include <QList>
#include <QWidget>

class QBarSet;
class QBarSeries;
class QBarCategoryAxis;
class QChart;
class QChartView;

// The "Spektrum" window: the current levels and peaks of the active slots as bars over
// frequency, redrawn after every sweep. The bars rise from -128 dBm like the gauges.
class SpectrumView : public QWidget
{
    Q_OBJECT
public:
    explicit SpectrumView(QWidget *parent = nullptr);

    void showReadings(const QList<SlotReading> &readings);
    void applyLanguage(int languageIndex);

    // What the chart shows now, for tests: category texts and bar heights in dBm.
    QStringList categories() const;
    QList<int> levels() const;
    QList<int> peaks() const;

private:
    QChart *m_chart;
    QChartView *m_view;
    QBarSeries *m_series;
    QBarSet *m_levels;
    QBarSet *m_peaks;
    QBarCategoryAxis *m_axisX;
    QList<SlotReading> m_shown;
};
