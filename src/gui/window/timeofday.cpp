#include "window/timeofday.h"

#include <QLocale>
#include <QTime>

QString timeOfDayText()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    return QLocale().toString(QTime::currentTime(), format.trimmed());
}
