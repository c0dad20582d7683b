#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QWaitCondition>

#include <atomic>
#include <optional>
#include <vector>

namespace Station
{

// The reference modules LinkControl runs against, each on a port of its own. One reference
// serves all ports in turn; as many references as ports give each port its own (in the order
// given), so that no port waits for another.
class ReferencePool
{
public:
    ReferencePool(const QStringList &ports, int stationPorts);

    // Whether the references fit the station's ports (one, or one per port).
    static bool fits(int references, int stationPorts)
    {
        return references == 1 || references == stationPorts;
    }

    // Waits until the reference of a station port is free and takes it; nothing once cancel()
    // was called (the station stops).
    std::optional<QString> acquire(int stationPort, const std::atomic<bool> &stop);
    void release(const QString &reference);
    // Wakes every waiter: they check their stop flag.
    void cancel();

private:
    QStringList m_ports;
    int m_stationPorts;
    QMutex m_mutex;
    QWaitCondition m_freed;
    std::vector<bool> m_busy;
};

} // namespace Station
