#include "rf/linkhistorycsv.h"

#include <QDateTime>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notRegular()
{
    return QStringLiteral("Not a regular file");
}

} // namespace

QString linkCsvHeader()
{
    return QStringLiteral(
        "timestamp,cycle,result,s1_dbm,n1_dbm,s2_dbm,n2_dbm,snr1_db,snr2_db,pc_late_ms");
}

QString linkCsvLine(const LinkCycle &cycle)
{
    const QString time =
        QDateTime::fromMSecsSinceEpoch(cycle.msecsSinceEpoch, Qt::UTC).toString(Qt::ISODateWithMs);
    const QString late = QLatin1Char(',') + QString::number(cycle.pcLateMs, 'f', 1);
    QString line = time + QLatin1Char(',') + QString::number(cycle.number);
    if (!cycle.received)
        return line + QStringLiteral(",lost,,,,,,") + late;
    line += QStringLiteral(",received,%1,%2,").arg(cycle.s1).arg(cycle.n1);
    if (cycle.module2)
        line += QStringLiteral("%1,%2,").arg(cycle.s2).arg(cycle.n2);
    else
        line += QStringLiteral(",,");
    line += QString::number(snrOf(cycle.s1, cycle.n1)) + QLatin1Char(',');
    if (cycle.module2)
        line += QString::number(snrOf(cycle.s2, cycle.n2));
    return line + late;
}

bool LinkCsvFile::open(const QString &path)
{
    close();
    m_queue.clear();
    m_error.clear();
#ifdef Q_OS_UNIX
    // Non-blocking, so that a FIFO without a reader cannot hang the window; the check of the
    // kind comes before the truncation, so that a device is left as it was.
    const QByteArray name = QFile::encodeName(path);
    struct stat info {
    };
    if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        m_error = notRegular();
        return false;
    }
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = systemReason(errno);
        return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        m_error = notRegular();
        return false;
    }
    if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
        m_error = systemReason(errno);
        ::close(fd);
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        m_error = m_file.errorString();
        ::close(fd);
        return false;
    }
#else
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        m_error = notRegular();
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
#endif
    if (!writeWhole((linkCsvHeader() + QLatin1Char('\n')).toUtf8())) {
        m_file.close();
        return false;
    }
    return true;
}

bool LinkCsvFile::close()
{
    if (!m_file.isOpen())
        return true;
    const bool ok = flush();
    m_file.close();
    return ok;
}

bool LinkCsvFile::flush()
{
    if (!m_file.isOpen()) {
        m_queue.clear();
        return false;
    }
    if (m_queue.empty())
        return true;
    QByteArray block;
    block.reserve(qsizetype(m_queue.size()) * 64);
    for (const LinkCycle &cycle : m_queue)
        block += (linkCsvLine(cycle) + QLatin1Char('\n')).toUtf8();
    m_queue.clear();
    return writeWhole(block);
}

bool LinkCsvFile::writeWhole(const QByteArray &block)
{
    const qint64 before = m_file.pos();
    errno = 0;
    const qint64 written = m_file.write(block);
    const int error = errno;
    if (written == block.size())
        return true;
    // A write that failed part-way leaves no error on the file, only the system's errno.
    m_error = written < 0 ? m_file.errorString() : systemReason(error ? error : ENOSPC);
    // The lines that did not fit are dropped whole, so a reader never meets half a line.
    if (written > 0) {
        m_file.resize(before);
        m_file.seek(before);
    }
    return false;
}
