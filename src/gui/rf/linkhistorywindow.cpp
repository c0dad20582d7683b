#include "rf/linkhistorywindow.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kDbmFloor = -130;
constexpr double kDbmTop = -20;

QPen linePen(const QColor &color, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(color);
    pen.setWidthF(1.5);
    pen.setStyle(style);
    return pen;
}

} // namespace

LinkHistoryWindow::LinkHistoryWindow(const LinkHistory &history, QWidget *parent)
    : QWidget(parent, Qt::Window), m_history(history)
{
    setObjectName(QStringLiteral("LinkHistoryWindow"));
    resize(900, 520);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_time = new QDateTimeAxis;
    m_time->setFormat(QStringLiteral("hh:mm:ss"));
    m_time->setTickCount(7);
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_dbm = new QValueAxis;
    m_dbm->setTitleText(QStringLiteral("dBm"));
    m_dbm->setRange(kDbmFloor, kDbmTop);
    m_dbm->setLabelFormat(QStringLiteral("%d"));
    m_dbm->setTickType(QValueAxis::TicksDynamic);
    m_dbm->setTickAnchor(0);
    m_dbm->setTickInterval(10);
    m_chart->addAxis(m_dbm, Qt::AlignLeft);
    m_percent = new QValueAxis;
    m_percent->setTitleText(QStringLiteral("%"));
    m_percent->setRange(0, 100);
    m_percent->setLabelFormat(QStringLiteral("%d"));
    m_percent->setTickType(QValueAxis::TicksDynamic);
    m_percent->setTickAnchor(0);
    m_percent->setTickInterval(20);
    // The dBm scale draws the grid; a second one would not line up with it.
    m_percent->setGridLineVisible(false);
    m_chart->addAxis(m_percent, Qt::AlignRight);

    const QPen pens[LinkHistory::kQuantities] = {
        linePen(QColor(0, 90, 200)),                  // signal 1
        linePen(QColor(120, 170, 240), Qt::DashLine), // noise 1
        linePen(QColor(220, 110, 0)),                 // signal 2
        linePen(QColor(245, 180, 110), Qt::DashLine), // noise 2
        linePen(QColor(0, 128, 0)),                   // share received
    };
    for (int q = 0; q < LinkHistory::kQuantities; ++q) {
        auto *line = new QLineSeries;
        line->setPen(pens[q]);
        m_chart->addSeries(line);
        line->attachAxis(m_time);
        line->attachAxis(q == LinkHistory::Share ? m_percent : m_dbm);
        m_lines[std::size_t(q)] = line;
    }
    // Lost cycles sit on the time axis.
    m_lost = new QScatterSeries;
    m_lost->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    m_lost->setMarkerSize(7);
    m_lost->setColor(QColor(255, 0, 0));
    m_lost->setBorderColor(QColor(255, 0, 0));
    m_chart->addSeries(m_lost);
    m_lost->attachAxis(m_time);
    m_lost->attachAxis(m_dbm);

    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    applyLanguage(0);
}

void LinkHistoryWindow::applyLanguage(int languageIndex)
{
    const bool german = languageIndex == 0;
    const auto pick = [german](const char *de, const char *en) {
        return QString::fromUtf8(german ? de : en);
    };
    setWindowTitle(pick("LinkControl – Verlauf", "LinkControl – history"));
    m_lines[LinkHistory::S1]->setName(pick("Signal Modul 1", "Signal module 1"));
    m_lines[LinkHistory::N1]->setName(pick("Rauschen Modul 1", "Noise module 1"));
    m_lines[LinkHistory::S2]->setName(pick("Signal Modul 2", "Signal module 2"));
    m_lines[LinkHistory::N2]->setName(pick("Rauschen Modul 2", "Noise module 2"));
    const QString window = QString::number(m_history.shareWindow());
    m_lines[LinkHistory::Share]->setName(
        german ? QStringLiteral("Empfangen, letzte %1 [%]").arg(window)
               : QStringLiteral("Received, last %1 [%]").arg(window));
    m_lost->setName(pick("Verloren", "Lost"));
    m_time->setTitleText(pick("Uhrzeit", "Time of day"));
}

void LinkHistoryWindow::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void LinkHistoryWindow::refresh()
{
    if (m_history.revision() == m_shownRevision)
        return;
    m_shownRevision = m_history.revision();
    const std::vector<LinkHistory::Bucket> buckets = m_history.condensed(kMaxPoints);

    std::array<QList<QPointF>, LinkHistory::kQuantities> lines;
    QList<QPointF> lost;
    double low = kDbmTop;
    double high = kDbmFloor;
    for (const LinkHistory::Bucket &b : buckets) {
        // The middle of the bucket's time; a single cycle sits at its own time.
        const double t = double(b.firstMs + (b.lastMs - b.firstMs) / 2);
        for (int q = 0; q < LinkHistory::kQuantities; ++q) {
            const LinkHistory::Stat &stat = b.stats[std::size_t(q)];
            // A bucket without a value (all lost, or no free module) leaves the line out there.
            if (stat.count == 0)
                continue;
            lines[std::size_t(q)].append(QPointF(t, stat.mean()));
            if (q != LinkHistory::Share) {
                low = std::min(low, double(stat.min));
                high = std::max(high, double(stat.max));
            }
        }
        if (b.lost > 0)
            lost.append(QPointF(t, 0));
    }
    // The dBm scale covers every level in steps of ten, at least the gauges' usual range.
    const double bottom = std::min(kDbmFloor, std::floor(low / 10) * 10);
    const double top = std::max(kDbmTop, std::ceil(high / 10) * 10);
    m_dbm->setRange(bottom, top);
    for (QPointF &mark : lost)
        mark.setY(bottom);
    for (int q = 0; q < LinkHistory::kQuantities; ++q)
        m_lines[std::size_t(q)]->replace(lines[std::size_t(q)]);
    m_lost->replace(lost);

    if (buckets.empty()) {
        const QDateTime now = QDateTime::currentDateTime();
        m_time->setRange(now, now.addSecs(60));
    } else {
        const qint64 first = buckets.front().firstMs;
        const qint64 last = std::max(buckets.back().lastMs, first + 1000);
        m_time->setRange(QDateTime::fromMSecsSinceEpoch(first),
                         QDateTime::fromMSecsSinceEpoch(last));
    }
}

QList<QPointF> LinkHistoryWindow::points(LinkHistory::Quantity quantity) const
{
    return m_lines[std::size_t(quantity)]->points();
}

QList<QPointF> LinkHistoryWindow::lostMarks() const
{
    return m_lost->points();
}
