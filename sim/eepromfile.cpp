#include "eepromfile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

bool loadEepromFile(const QString &path, std::array<quint8, 256> &image)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().simplified().split(QLatin1Char(' '));
        if (parts.size() != 2)
            continue;
        bool regOk = false;
        bool valueOk = false;
        const uint reg = parts[0].toUInt(&regOk, 16);
        const uint value = parts[1].toUInt(&valueOk, 16);
        if (regOk && valueOk && reg < 256 && value < 256)
            image[reg] = quint8(value);
    }
    return true;
}

bool saveEepromFile(const QString &path, const std::array<quint8, 256> &image, int firstRegister,
                    int lastRegister)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    for (int reg = firstRegister; reg <= lastRegister; ++reg) {
        out << QStringLiteral("%1 %2\n")
                   .arg(reg, 2, 16, QLatin1Char('0'))
                   .arg(image[reg], 2, 16, QLatin1Char('0'))
                   .toUpper();
    }
    out.flush();
    return file.commit();
}
