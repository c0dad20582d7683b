#pragma once

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QTextStream>

#include <optional>

// One active slot at the end of a sweep, as the export and the spectrum picture need it.
struct SlotReading {
    int slot;            // 1 to 30
    int channel;         // channel number, item + 1
    double frequencyMHz; // from the channel item's text
    int levelDbm;        // the level the bar shows
    int peakDbm;
};

// The frequency at the end of a channel item's text: "K001   433.0625" and "K1.......433.0625"
// both give 433.0625.
std::optional<double> frequencyOfChannelItem(const QString &itemText);

// The file's first line and one line per slot. The timestamp is ISO 8601 in UTC; numbers use a
// point, since the comma separates the fields.
QString csvHeader();
QString csvLine(const QDateTime &timestamp, const SlotReading &reading);

// Records sweeps into a CSV file: one line per active slot per completed sweep, flushed after
// every sweep so that a crash loses at most the sweep in progress.
class SweepCsvFile
{
public:
    bool open(const QString &path); // truncates; writes the header
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }
    QString fileName() const { return m_file.fileName(); }
    // False when the file could not be written.
    bool writeSweep(const QDateTime &timestamp, const QList<SlotReading> &readings);

private:
    QFile m_file;
};
