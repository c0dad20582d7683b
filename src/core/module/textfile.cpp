#include "module/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

#ifdef Q_OS_UNIX

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// An open file descriptor of a regular file, closed when it goes out of scope.
class RegularFile
{
public:
    explicit RegularFile(const QString &path)
    {
        // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            m_status = SmallFileStatus::Missing;
            m_error = systemError(errno);
            return;
        }
        struct stat info = {};
        if (::fstat(m_fd, &info) != 0) {
            m_status = SmallFileStatus::Failed;
            m_error = systemError(errno);
        } else if (!S_ISREG(info.st_mode)) {
            m_status = SmallFileStatus::NotRegular;
        } else {
            m_status = SmallFileStatus::Read;
            m_size = info.st_size;
        }
    }
    ~RegularFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    SmallFileStatus status() const { return m_status; }
    QString error() const { return m_error; }
    qint64 size() const { return m_size; }

    // Up to maxBytes, fewer only at the end of the file; nothing on a read error.
    std::optional<QByteArray> read(qint64 maxBytes)
    {
        QByteArray bytes(maxBytes, Qt::Uninitialized);
        qint64 done = 0;
        while (done < maxBytes) {
            const ssize_t got = ::read(m_fd, bytes.data() + done, size_t(maxBytes - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                m_error = systemError(errno);
                return std::nullopt;
            }
            if (got == 0)
                break;
            done += got;
        }
        bytes.truncate(done);
        return bytes;
    }

private:
    int m_fd = -1;
    SmallFileStatus m_status = SmallFileStatus::Missing;
    QString m_error;
    qint64 m_size = 0;
};

// Writes bytes into a new file beside the link at path and renames it over the link: the link
// goes, the file it led to stays as it was. On any failure the new file is removed and the link
// stays.
QString replaceLink(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary =
            target + ".new" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            return systemError(errno);
    }
    if (fd < 0)
        return systemError(EEXIST);
    const auto failure = [&](int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        return systemError(error);
    };
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return failure(written < 0 ? errno : EIO);
        done += written;
    }
    // A full disk or a failing device shows here at the latest.
    if (::fsync(fd) != 0)
        return failure(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return failure(errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return failure(errno);
    return QString();
}

#else

// Elsewhere the file's kind is checked before it is opened.
class RegularFile
{
public:
    explicit RegularFile(const QString &path) : m_file(path)
    {
        const QFileInfo info(path);
        if (info.exists() && !info.isFile()) {
            m_status = SmallFileStatus::NotRegular;
        } else if (!m_file.open(QIODevice::ReadOnly)) {
            m_status = SmallFileStatus::Missing;
            m_error = m_file.errorString();
        } else {
            m_status = SmallFileStatus::Read;
            m_size = m_file.size();
        }
    }
    SmallFileStatus status() const { return m_status; }
    QString error() const { return m_error; }
    qint64 size() const { return m_size; }
    std::optional<QByteArray> read(qint64 maxBytes)
    {
        QByteArray bytes = m_file.read(maxBytes);
        if (m_file.error() != QFileDevice::NoError) {
            m_error = m_file.errorString();
            return std::nullopt;
        }
        return bytes;
    }

private:
    QFile m_file;
    SmallFileStatus m_status = SmallFileStatus::Missing;
    QString m_error;
    qint64 m_size = 0;
};

#endif

} // namespace

SmallFileRead readSmallFile(const QString &path, qint64 limit)
{
    RegularFile file(path);
    SmallFileRead result;
    result.status = file.status();
    result.error = file.error();
    if (result.status != SmallFileStatus::Read)
        return result;
    if (file.size() > limit) {
        result.status = SmallFileStatus::TooLarge;
        return result;
    }
    // The size may have grown since it was asked for: one byte more than the limit tells.
    const auto bytes = file.read(limit + 1);
    if (!bytes) {
        result.status = SmallFileStatus::Failed;
        result.error = file.error();
    } else if (bytes->size() > limit) {
        result.status = SmallFileStatus::TooLarge;
    } else {
        result.bytes = *bytes;
    }
    return result;
}

std::optional<QByteArray> readFirstLine(const QString &path, qint64 limit)
{
    RegularFile file(path);
    if (file.status() != SmallFileStatus::Read)
        return std::nullopt;
    QByteArray line;
    constexpr qint64 kChunk = 4096;
    while (line.size() < limit) {
        const qint64 wanted = qMin(kChunk, limit - line.size());
        const auto chunk = file.read(wanted);
        if (!chunk)
            return std::nullopt;
        const qsizetype cr = chunk->indexOf('\r');
        const qsizetype lf = chunk->indexOf('\n');
        const qsizetype end = (cr < 0 || lf < 0) ? qMax(cr, lf) : qMin(cr, lf);
        if (end >= 0)
            return line + chunk->left(end);
        line += *chunk;
        if (chunk->size() < wanted)
            break; // the end of the file
    }
    return line;
}

QString saveFileAtomically(const QString &path, const QByteArray &bytes, LinkAtPath link)
{
#ifdef Q_OS_UNIX
    if (link == LinkAtPath::Replace && QFileInfo(path).isSymLink())
        return replaceLink(path, bytes);
#else
    Q_UNUSED(link);
#endif
    // The save file would follow a link to a device and try to replace the device.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return QStringLiteral("%1: not a regular file").arg(path);
    QSaveFile file(path);
    return saveFileAtomically(file, bytes);
}

QString saveFileAtomically(QSaveFile &file, const QByteArray &bytes)
{
    const auto failure = [&file] {
        QString reason = file.errorString();
        if (reason.isEmpty())
            reason = QStringLiteral("Unknown error");
        // Dropping the new file leaves the old one as it was.
        file.cancelWriting();
        file.commit();
        return reason;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failure();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return failure();
        done += written;
    }
    // The buffered bytes reach the file here; a full disk shows now or never.
    if (!file.flush())
        return failure();
    if (!file.commit()) {
        const QString reason = file.errorString();
        return reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
    }
    return QString();
}
