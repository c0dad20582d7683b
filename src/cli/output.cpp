#include "output.h"

#include <QJsonDocument>

#include <cstdio>

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

QString hexByte(quint8 value)
{
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace Cli
