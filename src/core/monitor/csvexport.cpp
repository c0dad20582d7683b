#include "monitor/csvexport.h"

#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    m_error.clear();
    m_file.setFileName(path);
#ifdef Q_OS_UNIX
    // Opened without blocking, so that a FIFO does not hold the window until a reader comes.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const int error = S_ISREG(info.st_mode) ? errno : 0;
        ::close(fd);
        m_error = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                             : QStringLiteral("%1: not a regular file").arg(path);
        return false;
    }
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_error = m_file.errorString();
        return false;
    }
#else
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        m_error = QStringLiteral("%1: not a regular file").arg(path);
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
#endif
    m_size = 0;
    if (!writeWhole((csvHeader() + QLatin1Char('\n')).toUtf8())) {
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
    return writeWhole(block);
}

bool SweepCsvFile::writeWhole(const QByteArray &bytes)
{
    qint64 done = 0;
#ifdef Q_OS_UNIX
    const int fd = m_file.handle();
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_error = QString::fromLocal8Bit(std::strerror(written < 0 ? errno : EIO));
            break;
        }
        done += written;
    }
#else
    done = m_file.write(bytes);
    if (done != bytes.size())
        m_error = m_file.errorString();
#endif
    if (done == bytes.size()) {
        m_size += done;
        return true;
    }
    // A row cut short would be read as a damaged record: the file goes back to its last row.
    if (done > 0 && !m_file.resize(m_size))
        m_error += QStringLiteral(" (") + m_file.errorString() + QLatin1Char(')');
    return false;
}
