#include "monitor/spectrumview.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kFloor = -128;
constexpr int kTop = -60;

double heightOf(int dbm)
{
    return std::clamp(dbm, kFloor, kTop) - kFloor;
}

} // namespace

SpectrumView::SpectrumView(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("SpectrumView"));
    resize(760, 480);
    m_levels = new QBarSet(QStringLiteral("Level"));
    m_levels->setColor(QColor(0, 255, 0)); // lime, as the level gauges
    m_peaks = new QBarSet(QStringLiteral("Peak"));
    m_peaks->setColor(Qt::red);
    m_series = new QBarSeries;
    m_series->append(m_levels);
    m_series->append(m_peaks);

    m_chart = new QChart;
    m_chart->addSeries(m_series);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_axisX = new QBarCategoryAxis;
    m_axisX->setTitleText(QStringLiteral("MHz"));
    m_axisX->setLabelsAngle(-90);
    QFont small = m_axisX->labelsFont();
    small.setPointSize(7);
    m_axisX->setLabelsFont(small);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_series->attachAxis(m_axisX);
    // Heights count from -128 dBm; the axis labels name the level itself.
    auto *axisY = new QCategoryAxis;
    axisY->setRange(0, kTop - kFloor);
    axisY->setStartValue(0);
    axisY->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axisY->append(QString::number(kFloor), 0);
    for (int dbm = -120; dbm <= kTop; dbm += 10)
        axisY->append(QString::number(dbm), dbm - kFloor);
    axisY->setTitleText(QStringLiteral("dBm"));
    m_chart->addAxis(axisY, Qt::AlignLeft);
    m_series->attachAxis(axisY);

    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    applyLanguage(0);
}

void SpectrumView::applyLanguage(int languageIndex)
{
    const bool german = languageIndex == 0;
    setWindowTitle(german ? QStringLiteral("Spektrum") : QStringLiteral("Spectrum"));
    m_levels->setLabel(german ? QStringLiteral("Momentan") : QStringLiteral("Momentary"));
    m_peaks->setLabel(QStringLiteral("Peak"));
}

void SpectrumView::showReadings(const QList<SlotReading> &unsorted)
{
    QList<SlotReading> readings = unsorted;
    std::stable_sort(
        readings.begin(), readings.end(),
        [](const SlotReading &a, const SlotReading &b) { return a.frequencyMHz < b.frequencyMHz; });
    QStringList categories;
    QList<qreal> levels;
    QList<qreal> peaks;
    for (const SlotReading &reading : readings) {
        QString category = QString::number(reading.frequencyMHz, 'f', 4);
        // Two slots on one channel still get a bar each.
        while (categories.contains(category))
            category += QLatin1Char(' ');
        categories << category;
        levels << heightOf(reading.levelDbm);
        peaks << heightOf(reading.peakDbm);
    }
    if (categories != m_axisX->categories()) {
        m_axisX->clear();
        m_axisX->append(categories);
    }
    if (m_levels->count() != levels.size()) {
        m_levels->remove(0, m_levels->count());
        m_peaks->remove(0, m_peaks->count());
        m_levels->append(levels);
        m_peaks->append(peaks);
    } else {
        for (int i = 0; i < levels.size(); ++i) {
            m_levels->replace(i, levels[i]);
            m_peaks->replace(i, peaks[i]);
        }
    }
    m_shown = readings;
}

QStringList SpectrumView::categories() const
{
    return m_axisX->categories();
}

QList<int> SpectrumView::levels() const
{
    QList<int> values;
    for (int i = 0; i < m_levels->count(); ++i)
        values << int(m_levels->at(i)) + kFloor;
    return values;
}

QList<int> SpectrumView::peaks() const
{
    QList<int> values;
    for (int i = 0; i < m_peaks->count(); ++i)
        values << int(m_peaks->at(i)) + kFloor;
    return values;
}
