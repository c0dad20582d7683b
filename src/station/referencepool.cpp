#include "station/referencepool.h"

namespace Station
{

ReferencePool::ReferencePool(const QStringList &ports, int stationPorts)
    : m_ports(ports), m_stationPorts(stationPorts), m_busy(size_t(ports.size()), false)
{
}

std::optional<QString> ReferencePool::acquire(int stationPort, const std::atomic<bool> &stop)
{
    if (m_ports.isEmpty())
        return std::nullopt;
    const int index = m_ports.size() == 1 ? 0 : stationPort % int(m_ports.size());
    QMutexLocker lock(&m_mutex);
    // The wait blocks without a timeout: a release or a cancel wakes it.
    while (m_busy[size_t(index)] && !stop.load())
        m_freed.wait(&m_mutex);
    if (stop.load())
        return std::nullopt;
    m_busy[size_t(index)] = true;
    return m_ports.at(index);
}

void ReferencePool::release(const QString &reference)
{
    QMutexLocker lock(&m_mutex);
    const qsizetype index = m_ports.indexOf(reference);
    if (index >= 0)
        m_busy[size_t(index)] = false;
    m_freed.wakeAll();
}

void ReferencePool::cancel()
{
    QMutexLocker lock(&m_mutex);
    m_freed.wakeAll();
}

} // namespace Station
