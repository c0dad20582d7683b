#pragma once

#include <QColor>

#include <functional>

class QFont;
class QPalette;
class QWidget;

// Contrast of text against its background, as WCAG 2 measures it: from 1 (the same colour) to
// 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// The contrast a text of this font needs to be read: 3 for large text (18 pt, or 14 pt bold),
// 4.5 otherwise.
double neededContrast(const QFont &font);

// The colour of the wanted hue and saturation nearest to it, made lighter or darker, whichever
// leads away from the background, until it has the given contrast on the background.
QColor readableOn(const QColor &wanted, const QColor &background, double contrast);

// Shows the widget's text in the wanted colour (of the palette in force, or fixed), made as much
// lighter or darker as its background needs; again whenever the palette changes.
void keepTextReadable(QWidget *widget, std::function<QColor(const QPalette &)> wanted);
// The widget's text takes the palette's colour again.
void stopKeepingTextReadable(QWidget *widget);
