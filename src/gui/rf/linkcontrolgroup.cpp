#include "rf/linkcontrolgroup.h"

#include "rf/hftestpage.h"
#include "widgets/accessiblenames.h"
#include "widgets/contrast.h"
#include "widgets/shapecircle.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const char *caption)
{
    return named(new QLabel(QString::fromUtf8(caption), parent), name);
}

// The scale caption over a pair of gauges; the same in both languages.
QLabel *scaleLabel(QWidget *parent, const char *gaugeName, const char *caption)
{
    const QString name =
        QStringLiteral("Label") + QLatin1String(gaugeName).mid(2) + QStringLiteral("_Scale");
    auto *scale = new QLabel(QString::fromUtf8(caption), parent);
    scale->setObjectName(name);
    return scale;
}

QLineEdit *readOnlyEdit(QWidget *parent, const char *name, const QString &text = {})
{
    auto *edit = named(new QLineEdit(text, parent), name);
    edit->setReadOnly(true);
    return edit;
}

QProgressBar *gauge(QWidget *parent, const char *name, int minimum, int maximum)
{
    auto *bar = named(new QProgressBar(parent), name);
    bar->setRange(minimum, maximum);
    bar->setValue(minimum);
    bar->setTextVisible(false);
    // Thin bars, so that the page's eight stay in view together.
    bar->setFixedHeight(bar->fontMetrics().height());
    return bar;
}

QSlider *trackBar(QWidget *parent, const char *name, int minimum, int maximum, int position)
{
    auto *bar = named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setPageStep(1);
    return bar;
}

} // namespace

void setGauge(QProgressBar *gauge, int value)
{
    gauge->setValue(std::clamp(value, gauge->minimum(), gauge->maximum()));
}

QGroupBox *buildLinkControlGroup(QWidget *page, HfTestControls &c)
{
    auto *group = named(new QGroupBox(QStringLiteral("LinkControl"), page), "GroupBox_Linkcontrol");
    c.GroupBox_Linkcontrol = group;
    auto *grid = new QGridLayout(group);

    c.BtnStartLinkControl =
        named(new QPushButton(QStringLiteral("Start"), group), "BtnStartLinkControl");
    nameAfterGroup(c.BtnStartLinkControl);
    c.LabelLinkControl_Interval = label(group, "LabelLinkControl_Interval", "Interval [ms]:");
    c.EditLinkControl_Interval =
        named(new QLineEdit(QStringLiteral("50"), group), "EditLinkControl_Interval");
    c.ShapeLinkControl = named(new ShapeCircle(group), "ShapeLinkControl");
    c.ShapeLinkControl->setBrushColor(QColor(255, 0, 0));
    grid->addWidget(c.BtnStartLinkControl, 0, 0);
    grid->addWidget(c.LabelLinkControl_Interval, 0, 1);
    grid->addWidget(c.EditLinkControl_Interval, 0, 2);
    grid->addWidget(label(group, "LabelLinkControl_OK", "Verbindung"), 0, 3);
    grid->addWidget(c.ShapeLinkControl, 0, 4);

    c.EditLinkControl_txStatistik = readOnlyEdit(group, "EditLinkControl_txStatistik", "0");
    c.EditLinkControl_rxStatistik = readOnlyEdit(group, "EditLinkControl_rxStatistik", "0");
    c.EditLinkControl_nokStatistik = readOnlyEdit(group, "EditLinkControl_nokStatistik", "0");
    c.EditLinkControl_rxProzent = readOnlyEdit(group, "EditLinkControl_rxProzent", "0.000%");
    c.EditLinkControl_nokProzent = readOnlyEdit(group, "EditLinkControl_nokProzent", "0.000%");
    grid->addWidget(label(group, "LabelLinkControl_txStatistik", "anz. gesendet"), 1, 0);
    grid->addWidget(c.EditLinkControl_txStatistik, 1, 1);
    grid->addWidget(label(group, "LabelLinkControl_rxStatistik", "anz. empfangen"), 2, 0);
    grid->addWidget(c.EditLinkControl_rxStatistik, 2, 1);
    grid->addWidget(c.EditLinkControl_rxProzent, 2, 2);
    grid->addWidget(label(group, "LabelLinkControl_nokStatistik", "anz. verloren"), 3, 0);
    grid->addWidget(c.EditLinkControl_nokStatistik, 3, 1);
    grid->addWidget(c.EditLinkControl_nokProzent, 3, 2);
    c.BtnLinkControl_Clear =
        named(new QPushButton(QStringLiteral("Clear Statisik"), group), "BtnLinkControl_Clear");
    grid->addWidget(c.BtnLinkControl_Clear, 1, 3, 1, 2);
    // Heads the two modules' blocks below.
    grid->addWidget(label(group, "LabelRCV_Quality", "Verbindungsqualität:"), 3, 3, 1, 2);

    // One block per module: ratio and noise, each with its value, gauge and peak gauge.
    const auto moduleBlock =
        [&](int row, const char *moduleLabel, const char *moduleCaption, const char *qualityLabel,
            const char *ruheLabel, QLineEdit *&quality, QLineEdit *&ruhe,
            QProgressBar *&qualityGauge, QProgressBar *&qualityPeak, QProgressBar *&ruheGauge,
            QProgressBar *&ruhePeak, const char *qualityName, const char *ruheName,
            const char *qualityGaugeName, const char *qualityPeakName, const char *ruheGaugeName,
            const char *ruhePeakName) {
            grid->addWidget(label(group, moduleLabel, moduleCaption), row, 0, 1, 2);
            quality = readOnlyEdit(group, qualityName);
            ruhe = readOnlyEdit(group, ruheName);
            qualityGauge = gauge(group, qualityGaugeName, 0, 68);
            qualityPeak = gauge(group, qualityPeakName, 0, 68);
            ruheGauge = gauge(group, ruheGaugeName, -128, -60);
            ruhePeak = gauge(group, ruhePeakName, -128, -60);
            // Each pair of gauges has its scale above it.
            grid->addWidget(scaleLabel(group, qualityGaugeName,
                                       "0dB ..................................... 68dB"),
                            row, 2, 1, 3);
            grid->addWidget(label(group, qualityLabel, "Signal-Rauschabstand"), row + 1, 0);
            grid->addWidget(quality, row + 1, 1);
            grid->addWidget(qualityGauge, row + 1, 2, 1, 3);
            grid->addWidget(qualityPeak, row + 2, 2, 1, 3);
            grid->addWidget(
                scaleLabel(group, ruheGaugeName, "-128dBm ......................... -60dBm"),
                row + 3, 2, 1, 3);
            grid->addWidget(label(group, ruheLabel, "RSSI-Ruhewert"), row + 4, 0);
            grid->addWidget(ruhe, row + 4, 1);
            grid->addWidget(ruheGauge, row + 4, 2, 1, 3);
            grid->addWidget(ruhePeak, row + 5, 2, 1, 3);
        };
    moduleBlock(4, "LabelMod1", "angeschlossenes Modul", "LabelLinkControl_QualityMod1",
                "LabelLinkControl_ruheMod1", c.EditLinkControl_quality1, c.EditLinkControl_ruhe1,
                c.G_LinkControl_quality1, c.G_LinkControl_quality1_peak, c.G_LinkControl_ruhe1,
                c.G_LinkControl_ruhe1_peak, "EditLinkControl_quality1", "EditLinkControl_ruhe1",
                "G_LinkControl_quality1", "G_LinkControl_quality1_peak", "G_LinkControl_ruhe1",
                "G_LinkControl_ruhe1_peak");
    moduleBlock(10, "LabelMod2", "freies Modul", "LabelLinkControl_QualityMod2",
                "LabelLinkControl_ruheMod2", c.EditLinkControl_quality2, c.EditLinkControl_ruhe2,
                c.G_LinkControl_quality2, c.G_LinkControl_quality2_peak, c.G_LinkControl_ruhe2,
                c.G_LinkControl_ruhe2_peak, "EditLinkControl_quality2", "EditLinkControl_ruhe2",
                "G_LinkControl_quality2", "G_LinkControl_quality2_peak", "G_LinkControl_ruhe2",
                "G_LinkControl_ruhe2_peak");

    c.TBar_LinkControl_Mittlung = trackBar(group, "TBar_LinkControl_Mittlung", 0, 10, 0);
    grid->addWidget(label(group, "LabelMean", "Mittelwertbildung"), 16, 0);
    grid->addWidget(label(group, "LabelOff", "aus"), 16, 1);
    grid->addWidget(c.TBar_LinkControl_Mittlung, 16, 2, 1, 2);
    grid->addWidget(label(group, "LabelStrong", "stark"), 16, 4);
    c.TBarLinkControl_Peak = trackBar(group, "TBarLinkControl_Peak", 1, 20, 10);
    grid->addWidget(label(group, "LabelPeak", "Anzeige Peak-Wert"), 17, 0);
    grid->addWidget(label(group, "LabelFast", "kurz"), 17, 1);
    grid->addWidget(c.TBarLinkControl_Peak, 17, 2, 1, 2);
    grid->addWidget(label(group, "LabelLong", "lang"), 17, 4);
    c.BtnLinkControl_PeakReset =
        named(new QPushButton(QStringLiteral("Peak Reset"), group), "BtnLinkControl_PeakReset");
    grid->addWidget(c.BtnLinkControl_PeakReset, 18, 0);

    // Locked, the option's caption shows in the workspace grey, as dark or light as the
    // background needs for it to be read.
    c.CBoxLinkControl_Empf = named(new QCheckBox(QStringLiteral("Empfindlichkeitsmessung"), group),
                                   "CBoxLinkControl_Empf");
    keepTextReadable(c.CBoxLinkControl_Empf,
                     [](const QPalette &palette) { return palette.color(QPalette::Dark); });
    grid->addWidget(c.CBoxLinkControl_Empf, 18, 1, 1, 4);

    grid->addWidget(label(group, "LabelKonfiguration", "Einstellungen"), 19, 0);
    grid->addWidget(label(group, "LabelFrequency", "Frequenz:"), 20, 0);
    c.LabelLinkControl_Frq = label(group, "LabelLinkControl_Frq", "Frequenz:");
    grid->addWidget(c.LabelLinkControl_Frq, 20, 1, 1, 2);
    grid->addWidget(label(group, "LabelDatarate", "Funkdatenrate:"), 21, 0);
    c.LabelLinkControl_HFbaud = label(group, "LabelLinkControl_HFbaud", "Funkdatenrate:");
    grid->addWidget(c.LabelLinkControl_HFbaud, 21, 1, 1, 2);
    grid->addWidget(label(group, "LabelRBW", "RBW:"), 22, 0);
    c.LabelLinkControl_RBW = label(group, "LabelLinkControl_RBW", "RBW:");
    grid->addWidget(c.LabelLinkControl_RBW, 22, 1, 1, 2);
    grid->addWidget(label(group, "LabelRS232Datarate", "RS232-Baudrate:"), 23, 0);
    c.LabelLinkControl_RS232Baud = label(group, "LabelLinkControl_RS232Baud", "RS232-Baudrate:");
    grid->addWidget(c.LabelLinkControl_RS232Baud, 23, 1, 1, 2);

    c.LabelLinkControl_konfig = label(group, "LabelLinkControl_konfig", "Konfig-Wizard");
    c.BtnLinkControl_konfig =
        named(new QPushButton(QStringLiteral("Start Wizard"), group), "BtnLinkControl_konfig");
    grid->addWidget(c.LabelLinkControl_konfig, 24, 0);
    grid->addWidget(c.BtnLinkControl_konfig, 24, 1);

    // The run's history and its export, on a row of their own below everything else.
    c.BtnLinkControl_Verlauf =
        named(new QPushButton(QStringLiteral("Verlauf"), group), "BtnLinkControl_Verlauf");
    c.BtnLinkControl_Export =
        named(new QPushButton(QStringLiteral("Export CSV"), group), "BtnLinkControl_Export");
    const int historyRow = grid->rowCount();
    grid->addWidget(c.BtnLinkControl_Verlauf, historyRow, 0);
    grid->addWidget(c.BtnLinkControl_Export, historyRow, 1);
    c.EditLinkControl_late =
        readOnlyEdit(group, "EditLinkControl_late", QStringLiteral("0 / 0.0 ms"));
    grid->addWidget(label(group, "LabelLinkControl_late", "PC verspätet:"), historyRow + 1, 0);
    grid->addWidget(c.EditLinkControl_late, historyRow + 1, 1, 1, 2);
    return group;
}
