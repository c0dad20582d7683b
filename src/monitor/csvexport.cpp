#include "monitor/csvexport.h"

#include <QRegularExpression>

std::optional<double> frequencyOfChannelItem(const QString &itemText)
{
    static const QRegularExpression trailing(QStringLiteral("(\\d+\\.\\d+)\\s*$"));
    const auto match = trailing.match(itemText);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double frequency = match.captured(1).toDouble(&ok);
    return ok ? std::optional<double>(frequency) : std::nullopt;
}

QString csvHeader()
{
    return QStringLiteral("timestamp,slot,channel,frequency_mhz,level_dbm,peak_dbm");
}

QString csvLine(const QDateTime &timestamp, const SlotReading &reading)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(timestamp.toUTC().toString(Qt::ISODateWithMs))
        .arg(reading.slot)
        .arg(reading.channel)
        .arg(QString::number(reading.frequencyMHz, 'f', 4))
        .arg(reading.levelDbm)
        .arg(reading.peakDbm);
}

bool SweepCsvFile::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QByteArray header = (csvHeader() + QLatin1Char('\n')).toUtf8();
    if (m_file.write(header) != header.size() || !m_file.flush()) {
        m_file.close();
        return false;
    }
    return true;
}

void SweepCsvFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

bool SweepCsvFile::writeSweep(const QDateTime &timestamp, const QList<SlotReading> &readings)
{
    if (!m_file.isOpen())
        return false;
    QByteArray block;
    for (const SlotReading &reading : readings)
        block += (csvLine(timestamp, reading) + QLatin1Char('\n')).toUtf8();
    return m_file.write(block) == block.size() && m_file.flush();
}
