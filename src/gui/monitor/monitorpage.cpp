#include "monitor/monitorpage.h"

#include "widgets/contrast.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int kBarLow = -128;
constexpr int kBarHigh = -60;

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QLabel(caption, parent), QLatin1String(name));
}

QProgressBar *bar(QWidget *parent, const QString &name, const QColor &colour)
{
    auto *gauge = new QProgressBar(parent);
    gauge->setRange(kBarLow, kBarHigh);
    gauge->setValue(kBarLow);
    gauge->setTextVisible(false);
    // Colours through the palette rather than a style sheet: 60 bars repaint on every sweep.
    QPalette palette = gauge->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Highlight, colour);
    gauge->setPalette(palette);
    // 121 × 9 at the design font; narrower where the window is narrow.
    gauge->setMinimumSize(60, 9);
    gauge->setMaximumHeight(9);
    gauge->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return named(gauge, name);
}

QSlider *trackBar(QWidget *parent, const char *name, int minimum, int maximum, int value)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setPageStep(1);
    slider->setMinimumWidth(120);
    return named(slider, QLatin1String(name));
}

QPushButton *button(QWidget *parent, const char *name, const char *caption)
{
    return named(new QPushButton(QString::fromUtf8(caption), parent), QLatin1String(name));
}

// A read-only field wide enough for the longest value it shows.
QLineEdit *valueEdit(QWidget *parent, const char *name, const QString &longest)
{
    auto *edit = named(new QLineEdit(parent), QLatin1String(name));
    edit->setReadOnly(true);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(longest) + 14);
    edit->setMaximumWidth(edit->minimumWidth() + 24);
    return edit;
}

// A track bar with its title above and its end labels below, left and right.
QGridLayout *trackColumn(QLabel *title, QSlider *slider, QLabel *low, QLabel *high)
{
    auto *column = new QGridLayout;
    column->setVerticalSpacing(0);
    column->addWidget(title, 0, 0, 1, 2);
    column->addWidget(slider, 1, 0, 1, 2);
    column->addWidget(low, 2, 0, Qt::AlignLeft);
    column->addWidget(high, 2, 1, Qt::AlignRight);
    return column;
}

} // namespace

void setMonitorBar(QProgressBar *bar, int dbm)
{
    bar->setValue(std::clamp(dbm, kBarLow, kBarHigh));
}

void buildMonitorPage(QWidget *page, MonitorControls &c, const QStringList &channelItems)
{
    auto *layout = new QVBoxLayout(page);

    // Two columns of 15 slots: label, channel box, and the level bar over the peak bar.
    auto *slotGrid = new QGridLayout;
    slotGrid->setVerticalSpacing(2);
    slotGrid->setHorizontalSpacing(4);
    slotGrid->setColumnMinimumWidth(3, 8);
    slotGrid->setColumnStretch(2, 1);
    slotGrid->setColumnStretch(6, 1);
    for (int i = 0; i < MonitorControls::kSlots; ++i) {
        const QString n = QString::number(i + 1);
        const int row = 1 + i % 15;
        const int column = i >= 15 ? 4 : 0;
        c.LabelMonitor[i] =
            named(new QLabel(QStringLiteral("C") + n, page), QStringLiteral("LabelMonitorC") + n);
        c.LabelMonitor[i]->setCursor(Qt::PointingHandCursor);
        auto *box = new QComboBox(page); // a drop-down list: only the channels can be chosen
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->addItems(channelItems);
        box->setCurrentIndex(-1);
        box->setEditText(QString());
        c.CBoxMonitor[i] = named(box, QStringLiteral("CBoxMonitor_C") + n);
        c.GaugeMonitor_akt[i] =
            bar(page, QStringLiteral("GaugeMonitor_akt_C") + n, QColor(0, 255, 0));
        c.GaugeMonitor_peak[i] =
            bar(page, QStringLiteral("GaugeMonitor_peak_C") + n, QColor(Qt::red));
        auto *bars = new QVBoxLayout;
        bars->setSpacing(2);
        bars->addWidget(c.GaugeMonitor_akt[i]);
        bars->addWidget(c.GaugeMonitor_peak[i]);
        slotGrid->addWidget(c.LabelMonitor[i], row, column);
        slotGrid->addWidget(box, row, column + 1);
        slotGrid->addLayout(bars, row, column + 2, Qt::AlignVCenter);
    }
    c.LabelMonitorFrq_1 = label(page, "LabelMonitorFrq_1", QStringLiteral("Frequenz"));
    c.LabelMonitorFrq_2 = label(page, "LabelMonitorFrq_2", QStringLiteral("Frequenz"));
    const QString scale = QStringLiteral("-128dBm ............ -60dBm");
    c.Label14 = label(page, "Label14", scale);
    c.Label15 = label(page, "Label15", scale);
    slotGrid->addWidget(c.LabelMonitorFrq_1, 0, 1);
    slotGrid->addWidget(c.Label14, 0, 2);
    slotGrid->addWidget(c.LabelMonitorFrq_2, 0, 5);
    slotGrid->addWidget(c.Label15, 0, 6);
    layout->addLayout(slotGrid);

    c.TBarMonitor_Tempo = trackBar(page, "TBarMonitor_Tempo", 0, 10, 10);
    c.TBarMonitor_Mittlung = trackBar(page, "TBarMonitor_Mittlung", 0, 10, 0);
    c.TBarMonitor_peak = trackBar(page, "TBarMonitor_peak", 1, 20, 10);
    c.LabelSpeed = label(page, "LabelSpeed", QStringLiteral("Messgeschwindigkeit"));
    c.LabelMonitorMean = label(page, "LabelMonitorMean", QStringLiteral("Mittelwertbildung"));
    c.LabelMonitorDisplayPeak =
        label(page, "LabelMonitorDisplayPeak", QStringLiteral("Anzeige Peak-Wert"));
    c.LabelMonitorSlow = label(page, "LabelMonitorSlow", QStringLiteral("langsam"));
    c.LabelMonitorFast = label(page, "LabelMonitorFast", QStringLiteral("schnell"));
    c.LabelMonitorOff = label(page, "LabelMonitorOff", QStringLiteral("aus"));
    c.LabelMonitorStrong = label(page, "LabelMonitorStrong", QStringLiteral("stark"));
    c.LabelMonitorShort = label(page, "LabelMonitorShort", QStringLiteral("kurz"));
    c.LabelMonitorLong = label(page, "LabelMonitorLong", QStringLiteral("lang"));
    auto *tracks = new QHBoxLayout;
    tracks->setSpacing(16);
    tracks->addLayout(
        trackColumn(c.LabelSpeed, c.TBarMonitor_Tempo, c.LabelMonitorSlow, c.LabelMonitorFast));
    tracks->addLayout(trackColumn(c.LabelMonitorMean, c.TBarMonitor_Mittlung, c.LabelMonitorOff,
                                  c.LabelMonitorStrong));
    tracks->addLayout(trackColumn(c.LabelMonitorDisplayPeak, c.TBarMonitor_peak,
                                  c.LabelMonitorShort, c.LabelMonitorLong));
    layout->addLayout(tracks);

    // Left: the measuring-mode frame over the numeric display; right: the export, the option to
    // keep the peaks and the plan group.
    auto *lower = new QGridLayout;
    lower->setColumnStretch(1, 1);
    c.RadioGroupMessArt =
        named(new QGroupBox(QStringLiteral("Messart"), page), QStringLiteral("RadioGroupMessArt"));
    // The two buttons lie on the frame but belong to the page: they share the frame's cell.
    c.RButtonMonitor_momentan = named(new QRadioButton(QStringLiteral("Momentanwert"), page),
                                      QStringLiteral("RButtonMonitor_momentan"));
    c.RButtonMonitor_peak = named(new QRadioButton(QStringLiteral("Peakwert"), page),
                                  QStringLiteral("RButtonMonitor_peak"));
    c.RButtonMonitor_momentan->setChecked(true);
    auto *modes = new QHBoxLayout;
    const int titleHeight = c.RadioGroupMessArt->fontMetrics().height();
    modes->setContentsMargins(12, titleHeight + 4, 12, 6);
    modes->setSpacing(16);
    modes->addWidget(c.RButtonMonitor_momentan);
    modes->addWidget(c.RButtonMonitor_peak);
    modes->addStretch(1);
    lower->addWidget(c.RadioGroupMessArt, 0, 0);
    lower->addLayout(modes, 0, 0);

    c.CBoxMonitor_noPeakReset = named(new QCheckBox(QStringLiteral("Peakwert stehen lassen"), page),
                                      QStringLiteral("CBoxMonitor_noPeakReset"));
    auto *options = new QHBoxLayout;
    lower->addLayout(options, 0, 1, Qt::AlignVCenter);

    c.GroupBoxDisplay = named(new QGroupBox(QStringLiteral("Messwertanzeige"), page),
                              QStringLiteral("GroupBoxDisplay"));
    QWidget *display = c.GroupBoxDisplay;
    auto *displayGrid = new QGridLayout(display);
    c.LabelDisplayKanal = label(display, "LabelDisplayKanal", QStringLiteral("Kanal"));
    c.CBoxMonitor_Messung = named(new QComboBox(display), QStringLiteral("CBoxMonitor_Messung"));
    c.CBoxMonitor_Messung->setEditable(true);
    c.CBoxMonitor_Messung->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 1; i <= MonitorControls::kSlots; ++i)
        c.CBoxMonitor_Messung->addItem(QStringLiteral("C") + QString::number(i));
    c.CBoxMonitor_Messung->setCurrentIndex(-1);
    c.LabelDisplayMomentan = label(display, "LabelDisplayMomentan", QStringLiteral("Momentan:"));
    const QString longestLevel = QStringLiteral("-128dBm");
    c.EditMonitor_Momentan = valueEdit(display, "EditMonitor_Momentan", longestLevel);
    c.LabelDisplayPeak = label(display, "LabelDisplayPeak", QStringLiteral("Peak:"));
    c.EditMonitor_Peak = valueEdit(display, "EditMonitor_Peak", longestLevel);
    displayGrid->addWidget(c.LabelDisplayKanal, 0, 0);
    displayGrid->addWidget(c.CBoxMonitor_Messung, 0, 1, Qt::AlignLeft);
    displayGrid->addWidget(c.LabelDisplayMomentan, 1, 0);
    displayGrid->addWidget(c.EditMonitor_Momentan, 1, 1);
    displayGrid->addWidget(c.LabelDisplayPeak, 1, 2);
    displayGrid->addWidget(c.EditMonitor_Peak, 1, 3);
    displayGrid->setColumnStretch(4, 1);
    lower->addWidget(c.GroupBoxDisplay, 1, 0);

    c.GroupBoxFrqConfig = named(new QGroupBox(QStringLiteral("Frequenzeinstellung"), page),
                                QStringLiteral("GroupBoxFrqConfig"));
    QWidget *config = c.GroupBoxFrqConfig;
    auto *configGrid = new QGridLayout(config);
    configGrid->setVerticalSpacing(0);
    c.LabelCenterFreq = label(config, "LabelCenterFreq", QStringLiteral("Center-Frq:"));
    c.LabelSpan = label(config, "LabelSpan", QStringLiteral("Span:"));
    c.LabelStepRBW = label(config, "LabelStepRBW", QStringLiteral("RBW / Step:"));
    c.LabelMonitor_CenterFrq = named(new QLabel(config), QStringLiteral("LabelMonitor_CenterFrq"));
    c.LabelMonitor_Span = named(new QLabel(config), QStringLiteral("LabelMonitor_Span"));
    c.LabelMonitor_RBW = named(new QLabel(config), QStringLiteral("LabelMonitor_RBW"));
    c.LabelMonitor_Status = named(new QLabel(config), QStringLiteral("LabelMonitor_Status"));
    keepTextReadable(c.LabelMonitor_Status, [](const QPalette &) { return QColor(Qt::red); });
    configGrid->addWidget(c.LabelCenterFreq, 0, 0);
    configGrid->addWidget(c.LabelMonitor_CenterFrq, 0, 1, 1, 2);
    configGrid->addWidget(c.LabelSpan, 1, 0);
    configGrid->addWidget(c.LabelMonitor_Span, 1, 1, 1, 2);
    configGrid->addWidget(c.LabelStepRBW, 2, 0);
    configGrid->addWidget(c.LabelMonitor_RBW, 2, 1, 1, 2);
    configGrid->addWidget(c.LabelMonitor_Status, 3, 0, 1, 2);
    configGrid->setColumnStretch(1, 1);
    lower->addWidget(c.GroupBoxFrqConfig, 1, 1);
    layout->addLayout(lower);

    c.BtnMonitor_peakReset = button(page, "BtnMonitor_peakReset", "PeakReset");
    c.BtnMonitor_Autoset = button(page, "BtnMonitor_Autoset", "Autoset");
    c.BtnMonitor_FrqSet = button(page, "BtnMonitor_FrqSet", "FrqSet");
    c.BtnMonitor_FrqClear = button(page, "BtnMonitor_FrqClear", "FrqClear");
    c.BtnMonitor_Start = button(page, "BtnMonitor_Start", "Start");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {c.BtnMonitor_peakReset, c.BtnMonitor_Autoset, c.BtnMonitor_FrqSet,
                           c.BtnMonitor_FrqClear, c.BtnMonitor_Start})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    // Beside the measuring-mode frame, before the option to keep the peaks.
    c.BtnMonitor_Export = button(page, "BtnMonitor_Export", "Export CSV");
    options->addWidget(c.BtnMonitor_Export);
    options->addStretch(1);
    options->addWidget(c.CBoxMonitor_noPeakReset);
    // A page control too, lying in the plan group's free corner: the last row's right end, kept
    // free for it.
    c.BtnMonitor_Spektrum = button(page, "BtnMonitor_Spektrum", "Spektrum");
    const QSize spektrum = c.BtnMonitor_Spektrum->sizeHint();
    configGrid->setColumnMinimumWidth(2, spektrum.width());
    configGrid->setRowMinimumHeight(3, spektrum.height());
    auto *corner = new QVBoxLayout;
    corner->setContentsMargins(0, 0, configGrid->contentsMargins().right(),
                               configGrid->contentsMargins().bottom());
    corner->addWidget(c.BtnMonitor_Spektrum, 0, Qt::AlignRight | Qt::AlignBottom);
    lower->addLayout(corner, 1, 1);
    layout->addStretch(1);
}
