#pragma once

#include "rf/linkhistory.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

// The LinkControl export: a header line and one line per cycle, comma-separated like the
// monitor's export. The timestamp is when the answer was read, ISO 8601 in UTC; a lost cycle
// leaves the levels empty, and so does a 3-byte answer for the free module. The last column is
// how late the PC ran the cycle's steps, in ms: a loss in a cycle the PC ran late may be the
// PC's doing rather than the link's.
QString linkCsvHeader();
QString linkCsvLine(const LinkCycle &cycle);

// Writes cycles into a CSV file. Cycles are queued in memory and written by flush(), which the
// owner calls once a second (and close() once more), so that a cycle never waits for the disk.
// Only whole lines reach the file: a write that fails part-way is cut back to the last full line.
class LinkCsvFile
{
public:
    ~LinkCsvFile() { close(); }

    // Creates or truncates a regular file and writes the header. Anything else (a folder, a
    // FIFO, a device) is refused without blocking and without being truncated.
    bool open(const QString &path);
    // Writes what is queued, then closes. False when that last write failed.
    bool close();
    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    // The system's reason for the last failure.
    QString errorString() const { return m_error; }

    void append(const LinkCycle &cycle) { m_queue.push_back(cycle); }
    std::size_t queued() const { return m_queue.size(); }
    // Writes the queued lines. False when the file could not take them; the queue is dropped.
    bool flush();

private:
    bool writeWhole(const QByteArray &block);

    QFile m_file;
    QString m_error;
    std::vector<LinkCycle> m_queue;
};
