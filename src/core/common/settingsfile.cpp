#include "common/settingsfile.h"

#include "module/textfile.h"

#include <QList>

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

bool isKeepableName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > kMaxPortNameBytes)
        return false;
    for (const QChar c : portNameText(name)) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QByteArray withoutCr(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

QByteArray formatComSettings(const ComSettings &settings)
{
    QByteArray out;
    out += settings.save ? "-1" : "0";
    out += "\r\n";
    out += QByteArray::number(settings.portIndex) + "\r\n";
    out += QByteArray::number(settings.baudIndex) + "\r\n";
    if (isKeepableName(settings.portName))
        out += settings.portName + "\r\n";
    return out;
}

ComSettings parseComSettings(const QByteArray &content)
{
    // Line feeds end the lines; a file without any ends them with CRs.
    QList<QByteArray> lines = content.split(content.contains('\n') ? '\n' : '\r');
    ComSettings settings;
    if (!lines.isEmpty())
        settings.save = booleanOf(lines.value(0));
    const QByteArray portLine = withoutCr(lines.value(1));
    const qsizetype tab = portLine.indexOf('\t');
    settings.portIndex = numberOf(tab < 0 ? portLine : portLine.left(tab)).value_or(-1);
    settings.baudIndex = numberOf(lines.value(2)).value_or(-1);
    QByteArray name = withoutCr(lines.value(3));
    if (name.isEmpty() && tab >= 0)
        name = portLine.mid(tab + 1);
    if (isKeepableName(name))
        settings.portName = name;
    return settings;
}

std::optional<ComSettings> readComSettings(const QString &path)
{
    // Three short lines and the longest name, with room to spare.
    constexpr qint64 kLimit = 2 * (kMaxPortNameBytes + 1);
    const SmallFileRead file = readSmallFile(path, kLimit);
    if (file.status != SmallFileStatus::Read)
        return std::nullopt;
    return parseComSettings(file.bytes);
}

QString writeComSettings(const QString &path, const ComSettings &settings)
{
    return saveFileAtomically(path, formatComSettings(settings), LinkAtPath::Replace);
}

int shownItemIndex(const QStringList &items, int currentIndex, const QString &shownText)
{
    if (shownText.isEmpty())
        return -1;
    if (currentIndex >= 0 && currentIndex < items.size() && items.at(currentIndex) == shownText)
        return currentIndex;
    return int(items.indexOf(shownText));
}

QString portNameText(const QByteArray &name)
{
    return QString::fromUtf8(name);
}

QByteArray portNameBytes(const QString &shown, const QByteArray &readAtStart)
{
    if (!readAtStart.isEmpty() && portNameText(readAtStart) == shown)
        return readAtStart;
    return shown.toUtf8();
}
