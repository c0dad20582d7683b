#include "app/settingsfile.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

namespace
{

std::optional<int> numberOf(const QByteArray &line)
{
    bool ok = false;
    const int value = line.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool booleanOf(const QByteArray &line)
{
    const QByteArray text = line.trimmed().toLower();
    if (text == "true")
        return true;
    const auto number = numberOf(text);
    return number && *number != 0;
}

} // namespace

QByteArray formatComSettings(const ComSettings &settings)
{
    QByteArray out;
    out += settings.save ? "-1" : "0";
    out += "\r\n";
    out += QByteArray::number(settings.portIndex) + "\r\n";
    out += QByteArray::number(settings.baudIndex) + "\r\n";
    return out;
}

ComSettings parseComSettings(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    ComSettings settings;
    if (!lines.isEmpty())
        settings.save = booleanOf(lines.value(0));
    settings.portIndex = numberOf(lines.value(1)).value_or(-1);
    settings.baudIndex = numberOf(lines.value(2)).value_or(-1);
    return settings;
}

std::optional<ComSettings> readComSettings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseComSettings(file.readAll());
}

bool writeComSettings(const QString &path, const ComSettings &settings)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(formatComSettings(settings));
    return file.commit();
}
