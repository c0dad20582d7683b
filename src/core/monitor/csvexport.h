#pragma once

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

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

// Records sweeps into a CSV file: one line per active slot per completed sweep, written through
// to the file after every sweep so that a crash loses at most the sweep in progress. A sweep
// goes in whole or not at all: a write that fails (a full disk) is cut back to the last whole
// row, and the reason is the system's.
class SweepCsvFile
{
public:
    SweepCsvFile() = default;
    ~SweepCsvFile() { close(); }
    SweepCsvFile(const SweepCsvFile &) = delete;
    SweepCsvFile &operator=(const SweepCsvFile &) = delete;

    // Truncates and writes the header. Anything but a regular file (a FIFO, a device, a
    // folder) is refused without waiting on it.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_error; }
    QString fileName() const { return m_file.fileName(); }
    // False when the file could not be written; the file then ends with the last whole row.
    bool writeSweep(const QDateTime &timestamp, const QList<SlotReading> &readings);

private:
    bool writeWhole(const QByteArray &bytes);

    QFile m_file;
    QString m_error;
    qint64 m_size = 0;
};
