#include "module/storedconfig.h"

#include <array>

namespace
{

// Code points of the bytes 0x80 to 0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char encodeCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return char(codePoint);
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint)
            return char(0x80 + i);
    }
    // The unassigned bytes read back as the C1 controls of the same number.
    if (codePoint >= 0x80 && codePoint <= 0x9F && kHighControls[codePoint - 0x80] == 0)
        return char(codePoint);
    return '?';
}

// A text line must not break the one-value-per-line layout.
QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString checkMark(bool checked)
{
    return checked ? QStringLiteral("-1") : QStringLiteral("0");
}

// Reads the numbered lines of one layout in order, remembering the first that fails.
class LineReader
{
public:
    LineReader(const QStringList &lines, int *damagedLine)
        : m_lines(lines), m_damagedLine(damagedLine)
    {
    }

    int number()
    {
        const QString text = next();
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok)
            fail();
        return ok ? value : 0;
    }
    // An item index of a box with itemCount items, or -1.
    int item(int itemCount)
    {
        const QString text = next();
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok || value < -1 || value >= itemCount) {
            fail();
            return -1;
        }
        return value;
    }
    QString text() { return next(); }
    bool failed() const { return m_failed; }

private:
    QString next()
    {
        const int index = m_index++;
        if (index >= m_lines.size()) {
            fail();
            return QString();
        }
        return m_lines.at(index);
    }
    void fail()
    {
        if (m_failed)
            return;
        m_failed = true;
        if (m_damagedLine)
            *m_damagedLine = qMin(m_index, int(m_lines.size()) + 1);
    }

    const QStringList &m_lines;
    int *m_damagedLine;
    int m_index = 2; // lines 1 and 2 are the description and the type letter
    bool m_failed = false;
};

} // namespace

QByteArray toWindows1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t codePoint : text.toUcs4())
        bytes.append(encodeCodePoint(codePoint));
    return bytes;
}

QString fromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = quint8(byte);
        if (value >= 0x80 && value <= 0x9F && kHighControls[value - 0x80] != 0)
            text.append(QChar(kHighControls[value - 0x80]));
        else
            text.append(QChar(value));
    }
    return text;
}

QByteArray encodeStoredConfig(const StoredConfig &config)
{
    QStringList lines{singleLine(config.info), singleLine(config.typeLetter)};
    if (const auto &b = config.b) {
        for (int item : {b->frqRx, b->frqTx, b->hfBaud, b->kBreite, b->code, b->rxTx, b->modArt,
                         b->configBaud, b->pwrupB2, b->pwrupB0, b->pwrupB4, b->pwrupB5,
                         b->pwrContB1, b->pwrContB0, b->recal, b->rssi})
            lines.append(QString::number(item));
        lines.append(singleLine(b->recalText));
        lines.append(singleLine(b->rssiText));
        lines.append(checkMark(b->eeprom));
    }
    if (const auto &c = config.c) {
        for (int item : {c->frqRx, c->frqTx, c->hfBaud, c->rs232Baud, c->pwrupC2, c->pwrupC0,
                         c->pwrupC5, c->pwrContC1, c->pwrContC0, c->recal, c->data[0], c->data[1],
                         c->data[2], c->data[3], c->data[4]})
            lines.append(QString::number(item));
        lines.append(singleLine(c->recalText));
        lines.append(checkMark(c->eeprom));
    }
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += toWindows1252(line) + "\r\n";
    return bytes;
}

QStringList storedConfigLines(const QByteArray &bytes)
{
    const bool lineFeeds = bytes.contains('\n');
    QList<QByteArray> pieces = bytes.split(lineFeeds ? '\n' : '\r');
    // The line break after the last line leaves an empty piece behind.
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    QStringList lines;
    for (QByteArray &piece : pieces) {
        if (lineFeeds && piece.endsWith('\r'))
            piece.chop(1);
        lines.append(fromWindows1252(piece));
    }
    return lines;
}

QString storedTypeLetter(const QStringList &lines)
{
    return lines.value(1).trimmed();
}

std::optional<BPageValues> parseStoredBLines(const QStringList &lines, const BItemCounts &counts,
                                             int *damagedLine)
{
    LineReader read(lines, damagedLine);
    BPageValues b;
    const std::array<int *, 16> items = {&b.frqRx,     &b.frqTx,     &b.hfBaud,  &b.kBreite,
                                         &b.code,      &b.rxTx,      &b.modArt,  &b.configBaud,
                                         &b.pwrupB2,   &b.pwrupB0,   &b.pwrupB4, &b.pwrupB5,
                                         &b.pwrContB1, &b.pwrContB0, &b.recal,   &b.rssi};
    for (size_t i = 0; i < items.size(); ++i)
        *items[i] = read.item(counts[i]);
    b.recalText = read.text();
    b.rssiText = read.text();
    b.eeprom = read.number() != 0;
    if (read.failed())
        return std::nullopt;
    return b;
}

std::optional<CPageValues> parseStoredCLines(const QStringList &lines, const CItemCounts &counts,
                                             int *damagedLine)
{
    LineReader read(lines, damagedLine);
    CPageValues c;
    const std::array<int *, 15> items = {&c.frqRx,     &c.frqTx,   &c.hfBaud,  &c.rs232Baud,
                                         &c.pwrupC2,   &c.pwrupC0, &c.pwrupC5, &c.pwrContC1,
                                         &c.pwrContC0, &c.recal,   &c.data[0], &c.data[1],
                                         &c.data[2],   &c.data[3], &c.data[4]};
    for (size_t i = 0; i < items.size(); ++i)
        *items[i] = read.item(counts[i]);
    c.recalText = read.text();
    c.eeprom = read.number() != 0;
    if (read.failed())
        return std::nullopt;
    return c;
}
