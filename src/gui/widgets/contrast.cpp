#include "widgets/contrast.h"

#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace
{

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

const char kKeeperName[] = "korvelReadableText";

// Sets the text colour when the widget's palette changes; its own change comes back once more
// and finds the colour set.
class ReadableText : public QObject
{
public:
    ReadableText(QWidget *widget, std::function<QColor(const QPalette &)> wanted)
        : QObject(widget), m_widget(widget), m_wanted(std::move(wanted))
    {
        setObjectName(QLatin1String(kKeeperName));
        widget->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && (event->type() == QEvent::PaletteChange ||
                                    event->type() == QEvent::ApplicationPaletteChange ||
                                    event->type() == QEvent::ParentChange))
            apply();
        return false;
    }

private:
    void apply()
    {
        QPalette palette = m_widget->palette();
        const QColor colour =
            readableOn(m_wanted(palette), palette.color(m_widget->backgroundRole()),
                       neededContrast(m_widget->font()));
        if (palette.color(QPalette::Active, m_widget->foregroundRole()) == colour &&
            palette.color(QPalette::Inactive, m_widget->foregroundRole()) == colour)
            return;
        palette.setColor(QPalette::Active, m_widget->foregroundRole(), colour);
        palette.setColor(QPalette::Inactive, m_widget->foregroundRole(), colour);
        m_widget->setPalette(palette);
    }

    QWidget *m_widget;
    std::function<QColor(const QPalette &)> m_wanted;
};

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double neededContrast(const QFont &font)
{
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    const bool large = points >= 18 || (font.bold() && points >= 14);
    return large ? 3.0 : 4.5;
}

QColor readableOn(const QColor &wanted, const QColor &background, double contrast)
{
    if (contrastRatio(wanted, background) >= contrast)
        return wanted;
    // Black and white have the same contrast on a background of this luminance.
    const bool darker = luminance(background) > 0.179;
    const QColor hsl = wanted.toHsl();
    // A grey has no hue.
    const float hue = std::max(0.0f, hsl.hslHueF());
    const float saturation = hsl.hslHueF() < 0 ? 0.0f : hsl.hslSaturationF();
    for (float lightness = hsl.lightnessF(); lightness >= 0.0f && lightness <= 1.0f;
         lightness += darker ? -0.01f : 0.01f) {
        const QColor candidate = QColor::fromHslF(hue, saturation, lightness).toRgb();
        if (contrastRatio(candidate, background) >= contrast)
            return candidate;
    }
    return darker ? QColor(Qt::black) : QColor(Qt::white);
}

void keepTextReadable(QWidget *widget, std::function<QColor(const QPalette &)> wanted)
{
    stopKeepingTextReadable(widget);
    new ReadableText(widget, std::move(wanted));
}

void stopKeepingTextReadable(QWidget *widget)
{
    delete widget->findChild<QObject *>(QLatin1String(kKeeperName), Qt::FindDirectChildrenOnly);
}
