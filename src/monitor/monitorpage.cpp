#include "monitor/monitorpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

namespace
{

constexpr int kBarLow = -128;
constexpr int kBarHigh = -60;

template <typename T>
T *place(T *widget, const QString &name, int left, int top, int width = -1, int height = -1)
{
    widget->setObjectName(name);
    const QSize hint = widget->sizeHint();
    widget->setGeometry(left, top, width > 0 ? width : hint.width(),
                        height > 0 ? height : hint.height());
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top)
{
    return place(new QLabel(caption, parent), QLatin1String(name), left, top);
}

QProgressBar *bar(QWidget *parent, const QString &name, const QColor &colour, int left, int top)
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
    return place(gauge, name, left, top, 121, 9);
}

QSlider *trackBar(QWidget *parent, const char *name, int minimum, int maximum, int value, int left)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setPageStep(1);
    return place(slider, QLatin1String(name), left, 528, 153, 33);
}

QPushButton *button(QWidget *parent, const char *name, const char *caption, int left, int top,
                    int width = 81, int height = 25)
{
    return place(new QPushButton(QString::fromUtf8(caption), parent), QLatin1String(name), left,
                 top, width, height);
}

} // namespace

void setMonitorBar(QProgressBar *bar, int dbm)
{
    bar->setValue(std::clamp(dbm, kBarLow, kBarHigh));
}

void buildMonitorPage(QWidget *page, MonitorControls &c, const QStringList &channelItems)
{
    for (int i = 0; i < MonitorControls::kSlots; ++i) {
        const QString n = QString::number(i + 1);
        const int row = i % 15;
        const bool right = i >= 15;
        const int top = 32 + 32 * row;
        c.LabelMonitor[i] = place(new QLabel(QStringLiteral("C") + n, page),
                                  QStringLiteral("LabelMonitorC") + n, right ? 276 : 4, top + 4);
        c.LabelMonitor[i]->setCursor(Qt::PointingHandCursor);
        auto *box = new QComboBox(page); // a drop-down list: only the channels can be chosen
        box->addItems(channelItems);
        box->setCurrentIndex(-1);
        box->setEditText(QString());
        c.CBoxMonitor[i] =
            place(box, QStringLiteral("CBoxMonitor_C") + n, right ? 304 : 32, top, 105, 21);
        const int barLeft = right ? 416 : 144;
        c.GaugeMonitor_akt[i] =
            bar(page, QStringLiteral("GaugeMonitor_akt_C") + n, QColor(0, 255, 0), barLeft, top);
        c.GaugeMonitor_peak[i] = bar(page, QStringLiteral("GaugeMonitor_peak_C") + n,
                                     QColor(Qt::red), barLeft, top + 11);
    }
    c.LabelMonitorFrq_1 = label(page, "LabelMonitorFrq_1", QStringLiteral("Frequenz"), 32, 12);
    c.LabelMonitorFrq_2 = label(page, "LabelMonitorFrq_2", QStringLiteral("Frequenz"), 304, 12);
    const QString scale = QStringLiteral("-128dBm ............ -60dBm");
    c.Label14 = label(page, "Label14", scale, 144, 12);
    c.Label15 = label(page, "Label15", scale, 416, 12);

    c.TBarMonitor_Tempo = trackBar(page, "TBarMonitor_Tempo", 0, 10, 10, 16);
    c.TBarMonitor_Mittlung = trackBar(page, "TBarMonitor_Mittlung", 0, 10, 0, 200);
    c.TBarMonitor_peak = trackBar(page, "TBarMonitor_peak", 1, 20, 10, 384);
    c.LabelSpeed = label(page, "LabelSpeed", QStringLiteral("Messgeschwindigkeit"), 16, 512);
    c.LabelMonitorMean =
        label(page, "LabelMonitorMean", QStringLiteral("Mittelwertbildung"), 200, 512);
    c.LabelMonitorDisplayPeak =
        label(page, "LabelMonitorDisplayPeak", QStringLiteral("Anzeige Peak-Wert"), 384, 512);
    c.LabelMonitorSlow = label(page, "LabelMonitorSlow", QStringLiteral("langsam"), 16, 560);
    c.LabelMonitorFast = label(page, "LabelMonitorFast", QStringLiteral("schnell"), 130, 560);
    c.LabelMonitorOff = label(page, "LabelMonitorOff", QStringLiteral("aus"), 200, 560);
    c.LabelMonitorStrong = label(page, "LabelMonitorStrong", QStringLiteral("stark"), 320, 560);
    c.LabelMonitorShort = label(page, "LabelMonitorShort", QStringLiteral("kurz"), 384, 560);
    c.LabelMonitorLong = label(page, "LabelMonitorLong", QStringLiteral("lang"), 510, 560);

    c.RadioGroupMessArt = place(new QGroupBox(QStringLiteral("Messart"), page),
                                QStringLiteral("RadioGroupMessArt"), 24, 584, 241, 41);
    // The two buttons lie on the frame but belong to the page.
    c.RButtonMonitor_momentan = place(new QRadioButton(QStringLiteral("Momentanwert"), page),
                                      QStringLiteral("RButtonMonitor_momentan"), 40, 600);
    c.RButtonMonitor_peak = place(new QRadioButton(QStringLiteral("Peakwert"), page),
                                  QStringLiteral("RButtonMonitor_peak"), 176, 600);
    c.RButtonMonitor_momentan->setChecked(true);
    c.CBoxMonitor_noPeakReset = place(new QCheckBox(QStringLiteral("Peakwert stehen lassen"), page),
                                      QStringLiteral("CBoxMonitor_noPeakReset"), 392, 576);

    c.GroupBoxDisplay = place(new QGroupBox(QStringLiteral("Messwertanzeige"), page),
                              QStringLiteral("GroupBoxDisplay"), 24, 632, 241, 73);
    QWidget *display = c.GroupBoxDisplay;
    c.LabelDisplayKanal = label(display, "LabelDisplayKanal", QStringLiteral("Kanal"), 8, 20);
    c.CBoxMonitor_Messung =
        place(new QComboBox(display), QStringLiteral("CBoxMonitor_Messung"), 72, 16, 65, 21);
    c.CBoxMonitor_Messung->setEditable(true);
    c.CBoxMonitor_Messung->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 1; i <= MonitorControls::kSlots; ++i)
        c.CBoxMonitor_Messung->addItem(QStringLiteral("C") + QString::number(i));
    c.CBoxMonitor_Messung->setCurrentIndex(-1);
    c.LabelDisplayMomentan =
        label(display, "LabelDisplayMomentan", QStringLiteral("Momentan:"), 8, 44);
    c.EditMonitor_Momentan =
        place(new QLineEdit(display), QStringLiteral("EditMonitor_Momentan"), 72, 40, 57, 21);
    c.LabelDisplayPeak = label(display, "LabelDisplayPeak", QStringLiteral("Peak:"), 138, 44);
    c.EditMonitor_Peak =
        place(new QLineEdit(display), QStringLiteral("EditMonitor_Peak"), 176, 40, 57, 21);
    c.EditMonitor_Momentan->setReadOnly(true);
    c.EditMonitor_Peak->setReadOnly(true);

    c.GroupBoxFrqConfig = place(new QGroupBox(QStringLiteral("Frequenzeinstellung"), page),
                                QStringLiteral("GroupBoxFrqConfig"), 288, 608, 265, 97);
    QWidget *config = c.GroupBoxFrqConfig;
    c.LabelCenterFreq = label(config, "LabelCenterFreq", QStringLiteral("Center-Frq:"), 16, 24);
    c.LabelSpan = label(config, "LabelSpan", QStringLiteral("Span:"), 16, 40);
    c.LabelStepRBW = label(config, "LabelStepRBW", QStringLiteral("RBW / Step:"), 16, 56);
    c.LabelMonitor_CenterFrq =
        place(new QLabel(config), QStringLiteral("LabelMonitor_CenterFrq"), 88, 24, 170, 16);
    c.LabelMonitor_Span =
        place(new QLabel(config), QStringLiteral("LabelMonitor_Span"), 88, 40, 170, 16);
    c.LabelMonitor_RBW =
        place(new QLabel(config), QStringLiteral("LabelMonitor_RBW"), 88, 56, 170, 16);
    c.LabelMonitor_Status =
        place(new QLabel(config), QStringLiteral("LabelMonitor_Status"), 16, 72, 130, 16);
    c.LabelMonitor_Status->setStyleSheet(QStringLiteral("color: red;"));

    c.BtnMonitor_peakReset = button(page, "BtnMonitor_peakReset", "PeakReset", 24, 722);
    c.BtnMonitor_Autoset = button(page, "BtnMonitor_Autoset", "Autoset", 128, 722);
    c.BtnMonitor_FrqSet = button(page, "BtnMonitor_FrqSet", "FrqSet", 230, 722);
    c.BtnMonitor_FrqClear = button(page, "BtnMonitor_FrqClear", "FrqClear", 339, 722);
    c.BtnMonitor_Start = button(page, "BtnMonitor_Start", "Start", 440, 722);
    // Beside the measuring-mode frame and inside the plan group's free corner.
    c.BtnMonitor_Export = button(page, "BtnMonitor_Export", "Export CSV", 272, 578, 112);
    c.BtnMonitor_Spektrum = button(page, "BtnMonitor_Spektrum", "Spektrum", 438, 682, 81, 22);
}

void fitMonitorCaptions(MonitorControls &c)
{
    for (QLabel *l :
         {c.LabelSpeed, c.LabelMonitorMean, c.LabelMonitorDisplayPeak, c.LabelMonitorSlow,
          c.LabelMonitorFast, c.LabelMonitorOff, c.LabelMonitorStrong, c.LabelMonitorShort,
          c.LabelMonitorLong, c.LabelMonitorFrq_1, c.LabelMonitorFrq_2, c.LabelDisplayKanal,
          c.LabelDisplayMomentan, c.LabelDisplayPeak, c.LabelCenterFreq, c.LabelSpan,
          c.LabelStepRBW})
        l->adjustSize();
    c.RButtonMonitor_momentan->adjustSize();
    c.RButtonMonitor_peak->adjustSize();
    c.CBoxMonitor_noPeakReset->adjustSize();
}
