#include "output.h"

#include "failure.h"

#include <QFile>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Cli
{

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

void writeLine(const QString &line)
{
    out() << line << Qt::endl;
}

void progress(const QString &line)
{
    err() << line << Qt::endl;
}

void writeJson(const QJsonObject &object)
{
    out() << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << Qt::endl;
}

namespace
{

// Why standard output failed; empty while it has not.
QString g_outputError;

} // namespace

bool outputComplete()
{
    if (!g_outputError.isEmpty())
        return false;
    QTextStream &stream = out();
    stream.flush();
    auto *file = qobject_cast<QFile *>(stream.device());
    errno = 0;
    const bool deviceOk = !file || (file->flush() && file->error() == QFileDevice::NoError);
    const bool streamOk = stream.status() == QTextStream::Ok;
    const bool stdioOk = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (deviceOk && streamOk && stdioOk)
        return true;
    if (errno != 0)
        g_outputError = QString::fromLocal8Bit(std::strerror(errno));
    else if (file && file->error() != QFileDevice::NoError)
        g_outputError = file->errorString();
    else
        g_outputError = QStringLiteral("the write failed");
    return false;
}

int finish(int code)
{
    if (outputComplete())
        return code;
    report(code, QStringLiteral("cannot write standard output: %1 (the output is incomplete)")
                     .arg(g_outputError));
    return code == Success ? UsageError : code;
}

int report(int code, const QString &message)
{
    // One line: the port's texts carry what the system said on a line of their own.
    QString line = message;
    line.replace(QLatin1String("\r\n"), QLatin1String(": "));
    line.replace(QLatin1Char('\n'), QLatin1String(": "));
    err() << "korvel-cli: " << line << Qt::endl;
    return code;
}

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n\r\n"), QLatin1String(": "));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return text;
}

QString excerpt(const QString &text, int maxChars)
{
    QString shown;
    for (const QChar c : text.left(maxChars))
        shown += c.unicode() >= 0x20 && c.unicode() < 0x7F ? c : QLatin1Char('?');
    if (text.size() > maxChars)
        shown += QLatin1String("...");
    return shown;
}

QString hexByte(quint8 value)
{
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace Cli
