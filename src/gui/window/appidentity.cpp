#include "window/appidentity.h"

#include <QGuiApplication>

QIcon programIcon()
{
    // Pixmaps drawn from packaging/korvel-config.svg: Qt draws SVG only with an extra plugin.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/korvel-config-%1.png").arg(size), QSize(size, size));
    return icon;
}

void setUpApplicationIdentity()
{
    QGuiApplication::setApplicationName(QLatin1String(kDesktopFileName));
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
    QGuiApplication::setWindowIcon(programIcon());
}
